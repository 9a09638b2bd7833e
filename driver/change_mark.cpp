#include "driver/change_mark.h"

#include "driver/core/names.h"
#include "framework/handle.h"

bool SetChangeMark()
{
    CRegKey key;
    const DWORD marked = 1;
    return key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_SET_VALUE) == ERROR_SUCCESS &&
           ::RegSetValueExA(key.Get(), VTX_CHANGE_MARK_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&marked),
                            sizeof marked) == ERROR_SUCCESS;
}

bool ClearChangeMark()
{
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_SET_VALUE) != ERROR_SUCCESS)
        return false;
    const LONG result = ::RegDeleteValueA(key.Get(), VTX_CHANGE_MARK_VALUE);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

bool HasChangeMark()
{
    CRegKey key;
    return key.Open(HKEY_LOCAL_MACHINE, VTX_SERVICE_KEY, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
           ::RegQueryValueExA(key.Get(), VTX_CHANGE_MARK_VALUE, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}
