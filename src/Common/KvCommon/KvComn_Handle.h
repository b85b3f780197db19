#pragma once
#include <windows.h>
#include <bcrypt.h>
#include <cstdio>
#include <utility>

namespace KvCommon
{
// One move-only owner for every kind of handle: a new owner is a traits struct, not a class.
template <class Traits> class UniqueAny
{
public:
    using type = typename Traits::type;

    UniqueAny() : m_h(Traits::Invalid()) {}
    explicit UniqueAny(type h) : m_h(h) {}
    UniqueAny(UniqueAny&& other) noexcept : m_h(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    type get() const { return m_h; }
    bool valid() const { return m_h != Traits::Invalid(); }
    explicit operator bool() const { return valid(); }
    type release()
    {
        type h = m_h;
        m_h = Traits::Invalid();
        return h;
    }
    void reset(type h = Traits::Invalid())
    {
        if (valid())
            Traits::Close(m_h);
        m_h = h;
    }
    // For APIs that return the handle through an out-parameter.
    type* put()
    {
        reset();
        return &m_h;
    }

private:
    type m_h;
};

struct HandleTraits
{
    using type = HANDLE;
    static type Invalid() { return nullptr; }
    static void Close(type h) { ::CloseHandle(h); }
};
struct FileHandleTraits
{
    using type = HANDLE;
    static type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(type h) { ::CloseHandle(h); }
};
struct FindHandleTraits
{
    using type = HANDLE;
    static type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(type h) { ::FindClose(h); }
};
struct RegKeyTraits
{
    using type = HKEY;
    static type Invalid() { return nullptr; }
    static void Close(type h) { ::RegCloseKey(h); }
};
struct ModuleTraits
{
    using type = HMODULE;
    static type Invalid() { return nullptr; }
    static void Close(type h) { ::FreeLibrary(h); }
};
struct StdioFileTraits
{
    using type = FILE*;
    static type Invalid() { return nullptr; }
    static void Close(type h) { ::fclose(h); }
};
struct LocalMemTraits
{
    using type = HLOCAL;
    static type Invalid() { return nullptr; }
    static void Close(type h) { ::LocalFree(h); }
};

struct CryptAlgTraits
{
    using type = BCRYPT_ALG_HANDLE;
    static type Invalid() { return nullptr; }
    static void Close(type h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct CryptHashTraits
{
    using type = BCRYPT_HASH_HANDLE;
    static type Invalid() { return nullptr; }
    static void Close(type h) { ::BCryptDestroyHash(h); }
};

using UniqueHandle = UniqueAny<HandleTraits>;
using UniqueFileHandle = UniqueAny<FileHandleTraits>;
using UniqueFindHandle = UniqueAny<FindHandleTraits>;
using UniqueHKey = UniqueAny<RegKeyTraits>;
using UniqueModule = UniqueAny<ModuleTraits>;
using UniqueStdioFile = UniqueAny<StdioFileTraits>;
using UniqueLocalMem = UniqueAny<LocalMemTraits>;
using UniqueCryptAlg = UniqueAny<CryptAlgTraits>;
using UniqueCryptHash = UniqueAny<CryptHashTraits>;
} // namespace KvCommon
