#pragma once

// Run-time class information: a class's name, its base, and how to make an object of it from
// the descriptor alone.
class CObject;

struct CRuntimeClass {
    const char* className;
    const CRuntimeClass* baseClass;
    CObject* (*createObject)(); // null for classes that cannot be made from the descriptor

    bool IsDerivedFrom(const CRuntimeClass* base) const;
    // Null when the class has no factory or the object could not be made.
    CObject* CreateObject() const;
    // A class registered by RegisterRuntimeClass, or null.
    static const CRuntimeClass* FromName(const char* name);
};

// Makes FromName find the class. Answers the descriptor for use in static initialisers.
const CRuntimeClass* RegisterRuntimeClass(const CRuntimeClass* cls);

class CObject {
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* cls) const;

    static const CRuntimeClass classCObject;
};
