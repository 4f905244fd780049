#include "platform/message_box.h"
#include "platform/runtime_class.h"

#include <gtest/gtest.h>


namespace {

class Animal : public CObject {
public:
    static const CRuntimeClass classAnimal;
    const CRuntimeClass* GetRuntimeClass() const override { return &classAnimal; }
};
class Dog : public Animal {
public:
    static const CRuntimeClass classDog;
    const CRuntimeClass* GetRuntimeClass() const override { return &classDog; }
};
const CRuntimeClass Animal::classAnimal = {"Animal", &CObject::classCObject, nullptr};
const CRuntimeClass Dog::classDog = {"Dog", &Animal::classAnimal, []() -> CObject* { return new Dog; }};

} // namespace

TEST(RuntimeClass, KindOfFactoryAndLookup)
{
    EXPECT_TRUE(Dog::classDog.IsDerivedFrom(&Animal::classAnimal));
    EXPECT_TRUE(Dog::classDog.IsDerivedFrom(&CObject::classCObject));
    EXPECT_FALSE(Animal::classAnimal.IsDerivedFrom(&Dog::classDog));
    EXPECT_EQ(Animal::classAnimal.CreateObject(), nullptr);
    std::unique_ptr<CObject> dog(Dog::classDog.CreateObject());
    ASSERT_NE(dog, nullptr);
    EXPECT_TRUE(dog->IsKindOf(&Animal::classAnimal));
    EXPECT_EQ(dog->GetRuntimeClass(), &Dog::classDog);

    EXPECT_EQ(CRuntimeClass::FromName("Dog"), nullptr);
    RegisterRuntimeClass(&Dog::classDog);
    EXPECT_EQ(CRuntimeClass::FromName("Dog"), &Dog::classDog);
}

TEST(MessageBox, CanBeRecordedInsteadOfShown)
{
    std::vector<std::string> shown;
    MessageBoxHandler old = SetMessageBoxHandler([&](const std::string& text) { shown.push_back(text); });
    AfxMessageBox(kOutOfMemoryMessage);
    EXPECT_EQ(shown, std::vector<std::string>{"Out of memory."});
    SetMessageBoxHandler(std::move(old));
}
