#include "lists/core/list_menu.h"

#include "res/resource.h"

bool IsListMenuCommandEnabled(unsigned command, int itemCount, bool hasSelection)
{
    switch (command) {
    case ID_SELECT_ALL:
    case ID_INVERT_SELECTION:
    case ID_CLEAR_LIST:
        return itemCount > 0;
    case ID_REMOVE_FROM_LIST:
        return hasSelection;
    default:
        return true;
    }
}
