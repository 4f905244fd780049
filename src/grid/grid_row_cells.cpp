#include "grid/grid_row_cells.h"

#include <algorithm>
#include <cstring>
#include <new>

static_assert(alignof(CGridRowCells::Record) <= alignof(unsigned));

std::unique_ptr<std::byte[]> CGridRowCells::Allocate(unsigned columns, unsigned textBytes)
{
    const std::size_t size = sizeof(Header) + columns * sizeof(Record) + textBytes;
    auto block = std::make_unique_for_overwrite<std::byte[]>(size);
    new (block.get()) Header{columns, textBytes};
    return block;
}

int CGridRowCells::Columns() const { return m_block ? static_cast<int>(Head()->columns) : 0; }

CGridRowCells::Record& CGridRowCells::At(int column) { return Records()[column]; }
const CGridRowCells::Record& CGridRowCells::At(int column) const { return Records()[column]; }

char* CGridRowCells::Texts() const
{
    return reinterpret_cast<char*>(m_block.get() + sizeof(Header) + Head()->columns * sizeof(Record));
}

const char* CGridRowCells::Text(int column) const
{
    return Texts() + (column == 0 ? 0 : Records()[column - 1].textEnd);
}

void CGridRowCells::SetText(int column, const char* text)
{
    const Header head = *Head();
    Record* records = Records();
    const unsigned start = column == 0 ? 0 : records[column - 1].textEnd;
    const unsigned oldLength = records[column].textEnd - start - 1;
    const std::size_t newLength = std::strlen(text);
    if (newLength == oldLength) {
        std::memcpy(Texts() + start, text, newLength);
        return;
    }
    if (newLength > 0xFFFF'0000u - head.textBytes)
        throw std::bad_alloc();
    const auto length = static_cast<unsigned>(newLength);
    const unsigned textBytes = head.textBytes - oldLength + length;
    std::unique_ptr<std::byte[]> block = Allocate(head.columns, textBytes);
    auto* newRecords = reinterpret_cast<Record*>(block.get() + sizeof(Header));
    std::uninitialized_copy_n(records, head.columns, newRecords);
    char* newTexts = reinterpret_cast<char*>(newRecords + head.columns);
    const char* oldTexts = Texts();
    std::memcpy(newTexts, oldTexts, start);
    std::memcpy(newTexts + start, text, length);
    newTexts[start + length] = '\0';
    const unsigned oldEnd = records[column].textEnd;
    std::memcpy(newTexts + start + length + 1, oldTexts + oldEnd, head.textBytes - oldEnd);
    for (unsigned c = static_cast<unsigned>(column); c < head.columns; ++c)
        newRecords[c].textEnd = newRecords[c].textEnd - oldLength + length;
    m_block = std::move(block);
}

void CGridRowCells::Resize(int columns)
{
    const auto n = static_cast<unsigned>(columns);
    const unsigned old = m_block ? Head()->columns : 0;
    if (m_block && n == old)
        return;
    const unsigned kept = std::min(n, old);
    const unsigned keptBytes = kept == 0 ? 0 : Records()[kept - 1].textEnd;
    std::unique_ptr<std::byte[]> block = Allocate(n, keptBytes + (n - kept));
    auto* records = reinterpret_cast<Record*>(block.get() + sizeof(Header));
    if (kept > 0)
        std::uninitialized_copy_n(Records(), kept, records);
    char* texts = reinterpret_cast<char*>(records + n);
    if (keptBytes > 0)
        std::memcpy(texts, Texts(), keptBytes);
    for (unsigned c = kept; c < n; ++c) {
        new (records + c) Record{};
        records[c].textEnd = keptBytes + (c - kept) + 1;
        texts[records[c].textEnd - 1] = '\0';
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
