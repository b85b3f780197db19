#pragma once
#include <windows.h>
#include <cstddef>

namespace KvCommon
{
// An owned heap buffer and its size. Errors: 160 bad size, 6 no memory or no source, 5010 already filled.
class ByteArray
{
public:
    ByteArray() = default;
    ByteArray(const ByteArray&) = delete;
    ByteArray& operator=(const ByteArray&) = delete;
    virtual ~ByteArray();

    // size zero-filled bytes; fails with 5010 when the array already holds data, 160 for size 0.
    bool Allocate(size_t size, DWORD* error = nullptr);
    // Copies exactly length bytes; fails with 6 for a null source, 160 when length != the size.
    bool SetData(const void* source, size_t length, DWORD* error = nullptr);

    BYTE* GetData() const { return m_pData; }
    size_t GetSize() const { return m_size; }

private:
    BYTE* m_pData = nullptr;
    size_t m_size = 0;
};
} // namespace KvCommon
