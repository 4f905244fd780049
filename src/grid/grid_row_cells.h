#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

class CGridCellBase;

// What the column width tally holds for one cell: the width counted for it (-1: none), on which
// side of the fixed rows it was counted, and whether it waits to be measured again. Packed in one
// word because a million-row log holds one per cell.
struct CCellExtent {
    // Wider cells are counted at this width, which no screen reaches.
    static constexpr int kMaxWidth = (1 << 29) - 1;
    int CountedWidth() const { return Unmeasured() ? -1 : static_cast<int>(widthPlusOne) - 1; }
    void SetCountedWidth(int width) { widthPlusOne = static_cast<unsigned>(width + 1) & kWidthMask; }
    // A new cell whose text was known not to widen its column when it came is left unmeasured,
    // with a bound on its width: its tally counts the bound apart, and the cell is measured only
    // if its column's widest measured width falls below its bound.
    bool Unmeasured() const { return widthPlusOne >= kUnmeasured; }
    int UnmeasuredBound() const { return static_cast<int>(widthPlusOne - kUnmeasured); }
    void SetUnmeasured(int bound)
    {
        widthPlusOne = (kUnmeasured + static_cast<unsigned>(std::clamp(bound, 0, kMaxWidth - 1))) & kWidthMask;
    }

    // All three of one type: Windows' layout (MinGW's default) starts a new word for each change
    // of a bit-field's type.
    unsigned countedFixed : 1 = 0;
    unsigned queued : 1 = 0;

private:
    static constexpr unsigned kWidthMask = (1u << 30) - 1;
    // Above every width plus one; an unmeasured cell's bound is added to it.
    static constexpr unsigned kUnmeasured = static_cast<unsigned>(kMaxWidth) + 2;
    static_assert(kUnmeasured + kMaxWidth - 1 <= kWidthMask);
    unsigned widthPlusOne : 30 = 0;
};

// One row of a grid's cells, stored compactly: the texts of all its cells, each ended by its NUL
// and found by walking the ones before it (a log row has a handful), and a small record per cell
// in a single block, and cell objects only where a cell needs one (asked for by pointer,
// given attributes beyond text and format, or made of another class). A cell with neither a
// record's text nor an object does not exist.
class CGridRowCells {
public:
    // The format of a position that holds no plain cell.
    static constexpr unsigned kNoCell = 0xFFFFFFFEu;

    struct Record {
        CCellExtent extent;
        unsigned format = kNoCell;
    };

    CGridRowCells() = default;
    explicit CGridRowCells(int columns) { Resize(columns); }
    // A row whose first texts.size() positions hold these texts (none holding a NUL) and the rest
    // "", built in one block; every position holds no cell until its format is set.
    CGridRowCells(int columns, std::span<const std::string_view> texts);

    // Inline: the grid asks for them several times for every cell it adds or measures.
    int Columns() const { return m_block ? static_cast<int>(Head()->columns) : 0; }
    Record& At(int column) { return Records()[column]; }
    const Record& At(int column) const { return Records()[column]; }
    // The text of a plain cell; "" for the others.
    const char* Text(int column) const;
    // The same with its length, found on the walk to it.
    std::string_view TextView(int column) const;
    // Every column's text, in one walk over them: out[c] for each c < Columns().
    void AllTexts(std::string_view* out) const;
    void SetText(int column, const char* text);
    // Every column's text at once, in one new block: texts[c] for each c < Columns(), none holding
    // a NUL. The texts may point into this row.
    void SetAllTexts(const std::string_view* texts);
    // New positions hold no cell; the objects of positions that go are the caller's to delete first.
    void Resize(int columns);

    bool HasObjects() const { return m_block && Head()->hasObjects; }
    CGridCellBase* Object(int column) const { return HasObjects() ? Objects()[column] : nullptr; }
    // The first object a row gets moves its block: records taken by reference before are gone.
    void SetObject(int column, CGridCellBase* cell);

private:
    // The block: this header; the cell objects, one pointer a column, only once the row has one;
    // the records; the texts. A log row has no objects, and the single pointer per row keeps a
    // million of them small.
    struct Header {
        unsigned columns : 31 = 0;
        bool hasObjects : 1 = false;
    };
    static constexpr std::size_t kObjectsAt = alignof(CGridCellBase*);
    static_assert(sizeof(Header) <= kObjectsAt);
    Header* Head() const { return reinterpret_cast<Header*>(m_block.get()); }
    CGridCellBase** Objects() const { return reinterpret_cast<CGridCellBase**>(m_block.get() + kObjectsAt); }
    Record* Records() const { return reinterpret_cast<Record*>(m_block.get() + RecordsAt(Head()->columns, Head()->hasObjects)); }
    char* Texts() const { return TextsIn(m_block.get()); }
    static char* TextsIn(std::byte* block)
    {
        const auto* head = reinterpret_cast<const Header*>(block);
        return reinterpret_cast<char*>(block + RecordsAt(head->columns, head->hasObjects) + head->columns * sizeof(Record));
    }
    // Where a column's text starts in the text area; the column count gives the area's size.
    std::size_t TextStart(unsigned column) const;
    // A block for the columns with the records and texts uninitialised and no objects set.
    static std::unique_ptr<std::byte[]> Allocate(unsigned columns, bool withObjects, std::size_t textBytes);
    static std::size_t RecordsAt(unsigned columns, bool withObjects)
    {
        return withObjects ? kObjectsAt + columns * sizeof(CGridCellBase*) : sizeof(Header);
    }
    // A new block for the same columns, objects and records, with room for textBytes of texts
    // left uninitialised.
    std::unique_ptr<std::byte[]> CopiedHead(std::size_t textBytes) const;
    // Rebuilds the block for n columns, keeping the first ones' texts, records and objects.
    void ResizeTo(unsigned n, bool withObjects);

    std::unique_ptr<std::byte[]> m_block;
};
