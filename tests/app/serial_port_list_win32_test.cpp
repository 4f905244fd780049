#include "app/registry_serial_ports.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A key of its own under the user's hive, holding values as the serial drivers write them.
class RegistryKey {
public:
    RegistryKey() : m_path("Software\\VantrolixTest\\SERIALCOMM-" + std::to_string(GetCurrentProcessId()))
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    }
    ~RegistryKey()
    {
        if (m_key)
            RegCloseKey(m_key);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VantrolixTest");
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool Valid() const { return m_key != nullptr; }
    const std::string& Path() const { return m_path; }
    void Set(const char* name, DWORD type, const void* data, DWORD size)
    {
        RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size);
    }
    void SetText(const char* name, const std::string& text, bool withZero = true)
    {
        Set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + (withZero ? 1 : 0)));
    }

private:
    std::string m_path;
    HKEY m_key = nullptr;
};

} // namespace

TEST(RegistrySerialPorts, ListsTheComNamesOnceInOrder)
{
    RegistryKey key;
    ASSERT_TRUE(key.Valid());
    key.SetText("\\Device\\Serial0", "COM1");
    key.SetText("\\Device\\VCP0", "COM10");
    key.SetText("\\Device\\VCP1", "COM3", false); // stored without its terminating zero
    key.SetText("\\Device\\Serial1", "COM1");     // a port two drivers report
    key.SetText("\\Device\\Broken", "");
    const DWORD number = 7;
    key.Set("\\Device\\Odd", REG_DWORD, &number, sizeof number);

    EXPECT_EQ(ListRegistrySerialPorts(HKEY_CURRENT_USER, key.Path()),
              (std::vector<std::string>{"COM1", "COM3", "COM10"}));
}

TEST(RegistrySerialPorts, AMissingKeyListsNothing)
{
    EXPECT_TRUE(ListRegistrySerialPorts(HKEY_CURRENT_USER, "Software\\VantrolixTest\\Absent").empty());
}
