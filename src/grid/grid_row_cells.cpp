#include "grid/grid_row_cells.h"

#include <algorithm>
#include <cstring>
#include <new>

static_assert(sizeof(CCellExtent) == 4);
static_assert(sizeof(CGridRowCells::Record) == 8);
static_assert(alignof(CGridRowCells::Record) <= alignof(unsigned));

std::unique_ptr<std::byte[]> CGridRowCells::Allocate(unsigned columns, std::size_t textBytes)
{
    const std::size_t size = sizeof(Header) + columns * sizeof(Record) + textBytes;
    auto block = std::make_unique_for_overwrite<std::byte[]>(size);
    new (block.get()) Header{columns};
    return block;
}

int CGridRowCells::Columns() const { return m_block ? static_cast<int>(Head()->columns) : 0; }

CGridRowCells::Record& CGridRowCells::At(int column) { return Records()[column]; }
const CGridRowCells::Record& CGridRowCells::At(int column) const { return Records()[column]; }

char* CGridRowCells::Texts() const
{
    return reinterpret_cast<char*>(m_block.get() + sizeof(Header) + Head()->columns * sizeof(Record));
}

std::size_t CGridRowCells::TextStart(unsigned column) const
{
    const char* const texts = Texts();
    const char* text = texts;
    for (unsigned c = 0; c < column; ++c)
        text += std::strlen(text) + 1;
    return static_cast<std::size_t>(text - texts);
}

const char* CGridRowCells::Text(int column) const { return Texts() + TextStart(static_cast<unsigned>(column)); }

void CGridRowCells::SetText(int column, const char* text)
{
    const unsigned columns = Head()->columns;
    char* const oldTexts = Texts();
    const std::size_t start = TextStart(static_cast<unsigned>(column));
    const std::size_t oldLength = std::strlen(oldTexts + start);
    const std::size_t length = std::strlen(text);
    if (length == oldLength) {
        std::memcpy(oldTexts + start, text, length);
        return;
    }
    const std::size_t oldEnd = start + oldLength + 1;
    const std::size_t oldBytes = TextStart(columns);
    std::unique_ptr<std::byte[]> block = Allocate(columns, oldBytes - oldLength + length);
    auto* newRecords = reinterpret_cast<Record*>(block.get() + sizeof(Header));
    std::uninitialized_copy_n(Records(), columns, newRecords);
    char* newTexts = reinterpret_cast<char*>(newRecords + columns);
    std::memcpy(newTexts, oldTexts, start);
    std::memcpy(newTexts + start, text, length);
    newTexts[start + length] = '\0';
    std::memcpy(newTexts + start + length + 1, oldTexts + oldEnd, oldBytes - oldEnd);
    m_block = std::move(block);
}

void CGridRowCells::Resize(int columns)
{
    const auto n = static_cast<unsigned>(columns);
    const unsigned old = m_block ? Head()->columns : 0;
    if (m_block && n == old)
        return;
    const unsigned kept = std::min(n, old);
    const std::size_t keptBytes = kept == 0 ? 0 : TextStart(kept);
    std::unique_ptr<std::byte[]> block = Allocate(n, keptBytes + (n - kept));
    auto* records = reinterpret_cast<Record*>(block.get() + sizeof(Header));
    if (kept > 0)
        std::uninitialized_copy_n(Records(), kept, records);
    char* texts = reinterpret_cast<char*>(records + n);
    if (keptBytes > 0)
        std::memcpy(texts, Texts(), keptBytes);
    for (unsigned c = kept; c < n; ++c) {
        new (records + c) Record{};
        texts[keptBytes + (c - kept)] = '\0';
    }
    std::unique_ptr<CGridCellBase*[]> objects;
    if (m_objects) {
        objects = std::make_unique<CGridCellBase*[]>(n);
        std::copy_n(m_objects.get(), kept, objects.get());
    }
    m_block = std::move(block);
    m_objects = std::move(objects);
}

void CGridRowCells::SetObject(int column, CGridCellBase* cell)
{
    if (!m_objects) {
        if (cell == nullptr)
            return;
        m_objects = std::make_unique<CGridCellBase*[]>(static_cast<std::size_t>(Columns()));
    }
    m_objects[static_cast<std::size_t>(column)] = cell;
}
