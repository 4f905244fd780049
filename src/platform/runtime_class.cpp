#include "platform/runtime_class.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

std::vector<const CRuntimeClass*>& Registry()
{
    static std::vector<const CRuntimeClass*> classes;
    return classes;
}

} // namespace

const CRuntimeClass CObject::classCObject = {"CObject", nullptr, nullptr};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c != nullptr; c = c->baseClass) {
        if (c == base)
            return true;
    }
    return false;
}

CObject* CRuntimeClass::CreateObject() const
{
    if (createObject == nullptr)
        return nullptr;
    try {
        return createObject();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name)
{
    for (const CRuntimeClass* c : Registry()) {
        if (std::strcmp(c->className, name) == 0)
            return c;
    }
    return nullptr;
}

const CRuntimeClass* RegisterRuntimeClass(const CRuntimeClass* cls)
{
    Registry().push_back(cls);
    return cls;
}

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

bool CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
