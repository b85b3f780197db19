#pragma once
#include <windows.h>
#include <string>

namespace KvCommon
{
namespace Exception
{
// Thrown as a pointer to a heap object; the catcher deletes it through the virtual destructor.
class Base
{
public:
    Base(DWORD code, const char* file, DWORD line)
        : m_dwCode(code), m_dwLine(line), m_strFile(file ? file : "")
    {
    }
    virtual ~Base() = default;

    DWORD GetCode() const { return m_dwCode; }
    DWORD GetLine() const { return m_dwLine; }
    const std::string& GetFile() const { return m_strFile; }

protected:
    DWORD m_dwCode;
    DWORD m_dwLine;
    std::string m_strFile;
};
} // namespace Exception
} // namespace KvCommon

// Source file name without the build machine's path, for traces and exceptions.
#if defined(__FILE_NAME__)
#define KV_SOURCE_FILE __FILE_NAME__
#else
#define KV_SOURCE_FILE __FILE__
#endif
