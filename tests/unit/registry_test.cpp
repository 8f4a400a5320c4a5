#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>

#include <string>
#include <vector>

#include "actions/registry.h"
#include "setup/state.h"
#include "tests/e2e/support.h"

namespace {

const char kBase[] = "Software\\TavelinTests";

/* Open registry keys of this process: Wine keeps no handle count, so every
   handle value is probed for an open key. */
DWORD HandleCount()
{
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD subkeys;
        if (RegQueryInfoKeyA((HKEY)value, NULL, NULL, NULL, &subkeys, NULL, NULL, NULL, NULL,
                             NULL, NULL, NULL) == ERROR_SUCCESS)
            count++;
    }
    return count;
}

/* The rights a handle was granted, as the system recorded them. */
ACCESS_MASK GrantedAccess(HKEY key)
{
    typedef NTSTATUS(NTAPI * QueryObject)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    QueryObject query = (QueryObject)(void (*)(void))GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                                                     "NtQueryObject");
    PUBLIC_OBJECT_BASIC_INFORMATION info = {};
    if (query == NULL || query(key, ObjectBasicInformation, &info, sizeof info, NULL) != 0)
        return 0;
    return info.GrantedAccess;
}

/* The keys of the open chain, root first. A chain of an unexpected length is
   released at once, so that the check that fails cannot leave it open. */
std::vector<HKEY> ChainKeys(size_t expected = 5)
{
    std::vector<HKEY> keys;
    for (KeyChainNode *n = setup.keyChainHead; n != nullptr; n = n->next)
        keys.push_back(n->keyHandle);
    if (keys.size() != expected)
        KeyChainRelease();
    return keys;
}

void ExpectChainReleased()
{
    EXPECT_EQ(nullptr, setup.keyChainHead);
    EXPECT_EQ(nullptr, setup.keyChainTail);
    EXPECT_EQ(nullptr, setup.keyChainWork);
}

/* Each operation must leave the process with the handles it had. */
class RegistryPaths : public testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kBase);
        before = HandleCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(before, HandleCount()) << "a key was left open";
        ExpectChainReleased();
        RegDeleteTreeA(HKEY_CURRENT_USER, kBase);
    }
    LONG Write(const std::string &path, const char *name, const std::string &text)
    {
        return RegistryWriteValue(HKEY_CURRENT_USER, path.c_str(), name, REG_SZ, text.c_str(),
                                  (DWORD)text.size() + 1);
    }
    std::string Read(const std::string &path, const char *name, DWORD size = 260)
    {
        std::vector<char> buffer(size + 1, 'x');
        LONG status = RegistryReadValue(HKEY_CURRENT_USER, path.c_str(), name, buffer.data(), size);
        ExpectChainReleased();
        if (status != ERROR_SUCCESS)
            return "error " + std::to_string(status);
        return buffer.data();
    }
    DWORD before = 0;
};

}  // namespace

TEST_F(RegistryPaths, WriteCreatesEveryKeyThenReadsBack)
{
    std::string path = std::string(kBase) + "\\Un\\Deux\\Trois";
    EXPECT_EQ(ERROR_SUCCESS, Write(path, "Valeur", "donn\xE9" "e"));
    ExpectChainReleased();
    EXPECT_EQ("donnée", TestRegistryString(HKEY_CURRENT_USER, path, "Valeur"));
    EXPECT_EQ("donn\xE9" "e", Read(path, "Valeur"));
    EXPECT_EQ(ERROR_SUCCESS, Write(path, "", "par d\xE9" "faut"));
    EXPECT_EQ("par d\xE9" "faut", Read(path, ""));
}

TEST_F(RegistryPaths, EmptyTrailingAndDoubledSeparators)
{
    EXPECT_EQ(ERROR_SUCCESS, Write(std::string(kBase) + "\\A\\", "v", "trailing"));
    EXPECT_EQ("trailing",
              TestRegistryString(HKEY_CURRENT_USER, std::string(kBase) + "\\A", "v"));
    EXPECT_EQ(ERROR_SUCCESS, Write(std::string(kBase) + "\\\\B", "v", "double"));
    EXPECT_EQ("double",
              TestRegistryString(HKEY_CURRENT_USER, std::string(kBase) + "\\B", "v"));
    EXPECT_EQ("double", Read(std::string(kBase) + "\\\\B\\", "v"));

    /* the empty path is the root key itself */
    EXPECT_EQ(ERROR_SUCCESS, Write("", "TavelinTestsValue", "racine"));
    EXPECT_EQ("racine", Read("", "TavelinTestsValue"));
    RegDeleteValueA(HKEY_CURRENT_USER, "TavelinTestsValue");
}

/* The walk cuts a component to 260 characters, which the registry still
   refuses (names stop at 255): the write fails with the registry's own
   error, creates nothing and leaves no key open. */
TEST_F(RegistryPaths, OverlongComponentFailsWithTheRegistrysError)
{
    std::string component(300, 'c');
    std::string path = std::string(kBase) + "\\" + component + "\\Fin";
    EXPECT_EQ(ERROR_INVALID_PARAMETER, Write(path, "v", "long"));
    ExpectChainReleased();
    HKEY base;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kBase, 0, KEY_READ, &base));
    DWORD subkeys = 99;
    RegQueryInfoKeyA(base, NULL, NULL, NULL, &subkeys, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    RegCloseKey(base);
    EXPECT_EQ(0u, subkeys);
}

TEST_F(RegistryPaths, MissingKeyAndMissingValue)
{
    EXPECT_EQ("error 2", Read(std::string(kBase) + "\\Absente\\Encore", "v"));
    EXPECT_EQ(ERROR_SUCCESS, Write(kBase, "v", "x"));
    EXPECT_EQ("error 2", Read(kBase, "absente"));
}

TEST_F(RegistryPaths, BufferTooSmallFails)
{
    EXPECT_EQ(ERROR_SUCCESS, Write(kBase, "v", "0123456789"));
    EXPECT_EQ("error 234", Read(kBase, "v", 5));
    EXPECT_EQ("0123456789", Read(kBase, "v", 11));
}

TEST_F(RegistryPaths, TextStoredWithoutTerminatorIsTerminated)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kBase, 0, NULL, 0, KEY_SET_VALUE,
                                             NULL, &key, NULL));
    RegSetValueExA(key, "brut", 0, REG_SZ, (const BYTE *)"abcdef", 6);
    RegSetValueExA(key, "binaire", 0, REG_BINARY, (const BYTE *)"ABCDEFGH", 8);
    RegCloseKey(key);
    EXPECT_EQ("abcdef", Read(kBase, "brut", 64));
    EXPECT_EQ("ABCDEFGH", Read(kBase, "binaire", 64));
    /* filled to the last byte with no room for a terminator: not a text that fits */
    EXPECT_EQ("error 234", Read(kBase, "binaire", 8));
}

TEST_F(RegistryPaths, ChainHoldsOneOpenKeyPerComponent)
{
    ASSERT_EQ(ERROR_SUCCESS, Write(std::string(kBase) + "\\P\\Q", "v", "x"));
    HKEY result = NULL;
    ASSERT_EQ(ERROR_SUCCESS, KeyChainOpen(HKEY_CURRENT_USER, "Software\\TavelinTests\\P\\Q",
                                          KEY_QUERY_VALUE, &result));
    std::vector<HKEY> keys = ChainKeys();
    ASSERT_EQ(5u, keys.size());
    EXPECT_EQ(HKEY_CURRENT_USER, keys[0]);
    EXPECT_EQ(keys.back(), result);
    EXPECT_EQ(setup.keyChainTail->keyHandle, result);
    EXPECT_EQ(before + 4, HandleCount());
    KeyChainRelease();
    ExpectChainReleased();
    for (size_t i = 1; i < keys.size(); i++) {
        DWORD subkeys;
        EXPECT_NE(ERROR_SUCCESS, RegQueryInfoKeyA(keys[i], NULL, NULL, NULL, &subkeys, NULL, NULL,
                                                  NULL, NULL, NULL, NULL, NULL))
            << "key " << i << " still open";
    }
}

/* A write opens every key of its path, the new ones included, to set values
   and for nothing more. */
TEST_F(RegistryPaths, WriteChainAsksForSetValueOnEveryKey)
{
    HKEY result = NULL;
    ASSERT_EQ(ERROR_SUCCESS, KeyChainCreate(HKEY_CURRENT_USER, "Software\\TavelinTests\\N\\M",
                                            KEY_SET_VALUE, &result));
    std::vector<HKEY> keys = ChainKeys();
    ASSERT_EQ(5u, keys.size());
    for (size_t i = 1; i < keys.size(); i++)
        EXPECT_EQ((ACCESS_MASK)KEY_SET_VALUE, GrantedAccess(keys[i]))
            << "key " << i << " granted " << std::hex << GrantedAccess(keys[i]);
    KeyChainRelease();
}
