#include "lists/core/list_entry_rules.h"
#include "lists/core/list_menu.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

TEST(ListMenuRules, AnEmptyListOffersOnlyAdding)
{
    EXPECT_FALSE(IsListMenuCommandEnabled(ID_SELECT_ALL, 0, false));
    EXPECT_FALSE(IsListMenuCommandEnabled(ID_INVERT_SELECTION, 0, false));
    EXPECT_FALSE(IsListMenuCommandEnabled(ID_REMOVE_FROM_LIST, 0, false));
    EXPECT_FALSE(IsListMenuCommandEnabled(ID_CLEAR_LIST, 0, false));
    EXPECT_TRUE(IsListMenuCommandEnabled(ID_ADD_ITEM_TO_LIST, 0, false));
}

TEST(ListMenuRules, RemovingNeedsASelectionTheOthersOnlyEntries)
{
    for (bool selected : {false, true}) {
        EXPECT_TRUE(IsListMenuCommandEnabled(ID_SELECT_ALL, 1, selected));
        EXPECT_TRUE(IsListMenuCommandEnabled(ID_INVERT_SELECTION, 3, selected));
        EXPECT_TRUE(IsListMenuCommandEnabled(ID_CLEAR_LIST, 3, selected));
        EXPECT_TRUE(IsListMenuCommandEnabled(ID_ADD_ITEM_TO_LIST, 3, selected));
        EXPECT_EQ(IsListMenuCommandEnabled(ID_REMOVE_FROM_LIST, 3, selected), selected);
    }
}

TEST(UnknownPathLooks, FolderWithoutExtensionDocumentWithOne)
{
    EXPECT_TRUE(LooksLikeFolderPath("C:\\Gone\\Folder"));
    EXPECT_TRUE(LooksLikeFolderPath("C:\\Gone\\Folder\\"));
    EXPECT_TRUE(LooksLikeFolderPath("C:\\Gone.d\\Folder")) << "only the last part counts";
    EXPECT_TRUE(LooksLikeFolderPath("C:\\Gone\\.config"));
    EXPECT_TRUE(LooksLikeFolderPath("C:\\Gone\\name."));
    EXPECT_TRUE(LooksLikeFolderPath("X:"));
    EXPECT_TRUE(LooksLikeFolderPath(""));
    EXPECT_FALSE(LooksLikeFolderPath("C:\\Gone\\tool.exe"));
    EXPECT_FALSE(LooksLikeFolderPath("C:\\Gone\\archive.tar.gz"));
    EXPECT_FALSE(LooksLikeFolderPath("notes.txt"));
}

}  // namespace
