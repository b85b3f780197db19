#pragma once
#include <string>

namespace KvCommon
{
// The "Global\" and "Local\" forms of a kernel object's name.
class CreationNames
{
public:
    virtual ~CreationNames() = default;
    // out = "Global\" + name unless name already contains "Global\"; the bare name before NT 5.
    bool MakeGlobal(std::wstring& out, const std::wstring& name);
    // The same with "Local\".
    bool MakeLocal(std::wstring& out, const std::wstring& name);

    const std::wstring& GetGlobal() const { return m_strGlobal; }
    const std::wstring& GetLocal() const { return m_strLocal; }

private:
    bool Make(std::wstring& out, const std::wstring& name, const wchar_t* prefix);

    std::wstring m_strGlobal;
    std::wstring m_strLocal;
    std::wstring m_strOther; // always empty
};
} // namespace KvCommon
