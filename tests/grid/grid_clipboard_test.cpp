#include "grid_input_support.h"

#include "platform/ole_data_source.h"

#include <QAction>
#include <QClipboard>

namespace {

class Clipboard : public GridInput {
protected:
    Clipboard()
    {
        Build(6, 4, 1, 0);
        QGuiApplication::clipboard()->setText("before");
    }

    // The bytes the copy is made of, or "<none>".
    std::string CopyBytes()
    {
        const std::unique_ptr<COleDataSource> source = grid.CreateCopyData();
        if (!source)
            return "<none>";
        const std::string* block = source->GetGlobalData(CF_TEXT);
        return block != nullptr ? *block : "<no text>";
    }
    static std::string Bytes(const char* text) { return std::string(text) + '\0'; }
    static QString ClipboardText() { return QGuiApplication::clipboard()->text(); }
};

} // namespace

TEST_F(Clipboard, ABlockCopiesWithTabsBetweenCellsAndLineFeedsBetweenRows)
{
    grid.SetItemText(1, 0, "a");
    grid.SetItemText(1, 1, "b");
    grid.SetItemText(2, 0, "c");
    grid.SetItemText(2, 1, "d");
    grid.SelectRange(1, 0, 2, 1, false, true);
    EXPECT_EQ(CopyBytes(), Bytes("a\tb\nc\td"));

    grid.OnEditCopy();
    EXPECT_EQ(ClipboardText(), "a\tb\nc\td");
}

TEST_F(Clipboard, ASingleCellCopiesAsItsTextAlone)
{
    grid.SelectRange(3, 2, 3, 2, false, true);
    EXPECT_EQ(CopyBytes(), Bytes("3.2"));
    // An empty cell is an empty text.
    grid.SetItemText(3, 2, "");
    EXPECT_EQ(CopyBytes(), std::string(1, '\0'));
}

TEST_F(Clipboard, CellsOutsideTheSelectionGiveEmptyFields)
{
    grid.SetItemText(1, 0, "a");
    grid.SetItemText(3, 1, "d");
    grid.SetItemState(1, 0, GRIDSTATE_SELECTED);
    grid.SetItemState(3, 1, GRIDSTATE_SELECTED);
    EXPECT_EQ(CopyBytes(), std::string("a\t\n\t\n\td") + '\0');
}

TEST_F(Clipboard, HiddenColumnsAndRowsAreLeftOut)
{
    grid.SelectRange(1, 0, 2, 2, false, true);
    grid.SetColumnWidth(1, 0);
    EXPECT_EQ(CopyBytes(), Bytes("1.0\t1.2\n2.0\t2.2"));
    grid.SetRowHeight(2, 0);
    EXPECT_EQ(CopyBytes(), Bytes("1.0\t1.2\n"));

    // A hidden last column leaves the separator of the one before it.
    grid.SetRowHeight(2, 20);
    grid.SetColumnWidth(1, 50);
    grid.SetColumnWidth(2, 0);
    EXPECT_EQ(CopyBytes(), Bytes("1.0\t1.1\t\n2.0\t2.1\t"));
}

TEST_F(Clipboard, NothingSelectedLeavesTheClipboardAlone)
{
    EXPECT_EQ(CopyBytes(), "<none>");
    grid.OnEditCopy();
    EXPECT_EQ(ClipboardText(), "before");
}

TEST_F(Clipboard, RowsPastSixtyFiveThousandCopyTheirOwnCells)
{
    CGridCtrl log(65540, 2, 1, 0);
    const int far = 65537;
    log.SetItemText(1, 0, "first");
    log.SetItemText(far, 0, "far a");
    log.SetItemText(far, 1, "far b");
    log.SetItemText(far + 1, 0, "next");
    log.SelectRange(far, 0, far + 1, 1, false, true);
    const std::unique_ptr<COleDataSource> block = log.CreateCopyData();
    ASSERT_TRUE(block);
    EXPECT_EQ(*block->GetGlobalData(CF_TEXT), std::string("far a\tfar b\nnext\t") + '\0');

    // With the first row too, the copy spans every row in between, empty.
    log.SetItemState(1, 0, GRIDSTATE_SELECTED);
    const std::string text = *log.CreateCopyData()->GetGlobalData(CF_TEXT);
    EXPECT_EQ(text.substr(0, 9), "first\t\n\t\n");
    const std::string end = std::string("\t\nfar a\tfar b\nnext\t") + '\0';
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), far);
}

TEST_F(Clipboard, TheClipboardGetsTheCellsUtf8TextWithoutTheNul)
{
    grid.SetItemText(1, 0, "caf\xC3\xA9");
    grid.SelectRange(1, 0, 1, 0, false, true);
    grid.OnEditCopy();
    EXPECT_EQ(ClipboardText(), QString::fromUtf8("caf\u00E9"));
}

TEST_F(Clipboard, CopiedTextOutlivesTheGrid)
{
    {
        CGridCtrl log(3, 2, 1, 0);
        log.SetItemText(2, 1, "kept");
        log.SelectRange(2, 1, 2, 1, false, true);
        log.OnEditCopy();
    }
    EXPECT_EQ(ClipboardText(), "kept");
}

TEST_F(Clipboard, CutAndPasteChangeNothingAndAreNeverEnabled)
{
    QGuiApplication::clipboard()->setText("pasted");
    grid.SetFocusCell(2, 1);
    grid.SelectRange(2, 1, 2, 1, false, true);
    ASSERT_TRUE(grid.IsEditable());
    EXPECT_TRUE(grid.OnCommand(ID_EDIT_CUT));
    EXPECT_TRUE(grid.OnCommand(ID_EDIT_PASTE));
    EXPECT_EQ(grid.GetItemText(2, 1), "2.1");
    EXPECT_EQ(ClipboardText(), "pasted");

    QAction action(nullptr);
    grid.OnUpdateEditCut(&action);
    EXPECT_FALSE(action.isEnabled());
    action.setEnabled(true);
    grid.OnUpdateEditPaste(&action);
    EXPECT_FALSE(action.isEnabled());
}

TEST_F(Clipboard, CopyIsEnabledOnlyWithASelection)
{
    QAction copy(nullptr);
    QAction selectAll(nullptr);
    selectAll.setEnabled(false);
    grid.OnUpdateEditCopy(&copy);
    EXPECT_FALSE(copy.isEnabled());
    grid.OnUpdateEditSelectAll(&selectAll);
    EXPECT_TRUE(selectAll.isEnabled());

    EXPECT_TRUE(grid.OnCommand(ID_EDIT_SELECT_ALL));
    EXPECT_EQ(Selected(), Block(1, 0, 5, 3));
    grid.OnUpdateEditCopy(&copy);
    EXPECT_TRUE(copy.isEnabled());
    EXPECT_TRUE(grid.OnCommand(ID_EDIT_COPY));
    EXPECT_TRUE(ClipboardText().startsWith("1.0\t1.1\t1.2\t1.3\n2.0"));
    EXPECT_FALSE(grid.OnCommand(1));
}

