#include "grid/grid_row_cells.h"

#include <algorithm>
#include <cstring>
#include <new>

static_assert(sizeof(CCellExtent) == 4);
static_assert(sizeof(CGridRowCells::Record) == 8);
static_assert(alignof(CGridRowCells::Record) <= alignof(unsigned));
static_assert(sizeof(CGridRowCells) == sizeof(void*));

std::unique_ptr<std::byte[]> CGridRowCells::Allocate(unsigned columns, bool withObjects, std::size_t textBytes)
{
    if (columns > 0x7FFF'FFFFu)
        throw std::bad_alloc();
    const std::size_t size = RecordsAt(columns, withObjects) + columns * sizeof(Record) + textBytes;
    auto block = std::make_unique_for_overwrite<std::byte[]>(size);
    auto* head = new (block.get()) Header;
    head->columns = columns & 0x7FFF'FFFFu;
    head->hasObjects = withObjects;
    if (withObjects)
        std::uninitialized_fill_n(reinterpret_cast<CGridCellBase**>(block.get() + kObjectsAt), columns, nullptr);
    return block;
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

std::string_view CGridRowCells::TextView(int column) const
{
    const char* text = Texts();
    std::size_t length = std::strlen(text);
    for (int c = 0; c < column; ++c) {
        text += length + 1;
        length = std::strlen(text);
    }
    return {text, length};
}

void CGridRowCells::AllTexts(std::string_view* out) const
{
    const char* text = m_block ? Texts() : nullptr;
    for (int c = 0; c < Columns(); ++c) {
        out[c] = std::string_view(text);
        text += out[c].size() + 1;
    }
}

void CGridRowCells::SetText(int column, const char* text)
{
    const unsigned columns = Head()->columns;
    char* const oldTexts = Texts();
    const std::string_view old = TextView(column);
    const auto start = static_cast<std::size_t>(old.data() - oldTexts);
    const std::size_t oldLength = old.size();
    const std::size_t length = std::strlen(text);
    if (length == oldLength) {
        std::memcpy(oldTexts + start, text, length);
        return;
    }
    // The walk goes on from the changed text to the end of the area.
    const std::size_t oldEnd = start + oldLength + 1;
    std::size_t oldBytes = oldEnd;
    for (auto c = static_cast<unsigned>(column) + 1; c < columns; ++c)
        oldBytes += std::strlen(oldTexts + oldBytes) + 1;
    std::unique_ptr<std::byte[]> block = CopiedHead(oldBytes - oldLength + length);
    char* newTexts = TextsIn(block.get());
    std::memcpy(newTexts, oldTexts, start);
    std::memcpy(newTexts + start, text, length);
    newTexts[start + length] = '\0';
    std::memcpy(newTexts + start + length + 1, oldTexts + oldEnd, oldBytes - oldEnd);
    m_block = std::move(block);
}

std::unique_ptr<std::byte[]> CGridRowCells::CopiedHead(std::size_t textBytes) const
{
    const unsigned columns = Head()->columns;
    const bool withObjects = Head()->hasObjects;
    std::unique_ptr<std::byte[]> block = Allocate(columns, withObjects, textBytes);
    if (withObjects)
        std::copy_n(Objects(), columns, reinterpret_cast<CGridCellBase**>(block.get() + kObjectsAt));
    std::uninitialized_copy_n(Records(), columns, reinterpret_cast<Record*>(block.get() + RecordsAt(columns, withObjects)));
    return block;
}

namespace {
// The room the first `columns` of the texts take, each with its NUL; positions past the texts
// take their NUL alone.
std::size_t TextBytes(std::span<const std::string_view> texts, unsigned columns)
{
    std::size_t bytes = columns;
    for (std::size_t c = 0; c < texts.size() && c < columns; ++c)
        bytes += texts[c].size();
    return bytes;
}

void CopyTexts(char* to, std::span<const std::string_view> texts, unsigned columns)
{
    for (unsigned c = 0; c < columns; ++c) {
        // An empty view may have no data at all, which memcpy must not be given.
        if (c < texts.size() && !texts[c].empty()) {
            std::memcpy(to, texts[c].data(), texts[c].size());
            to += texts[c].size();
        }
        *to++ = '\0';
    }
}
} // namespace

CGridRowCells::CGridRowCells(int columns, std::span<const std::string_view> texts)
{
    const auto n = static_cast<unsigned>(columns);
    m_block = Allocate(n, false, TextBytes(texts, n));
    std::uninitialized_fill_n(Records(), n, Record{});
    CopyTexts(Texts(), texts, n);
}

void CGridRowCells::SetAllTexts(const std::string_view* texts)
{
    if (!m_block)
        return;
    const unsigned columns = Head()->columns;
    const std::span<const std::string_view> all(texts, columns);
    std::unique_ptr<std::byte[]> block = CopiedHead(TextBytes(all, columns));
    CopyTexts(TextsIn(block.get()), all, columns);
    m_block = std::move(block);
}

void CGridRowCells::Resize(int columns)
{
    const auto n = static_cast<unsigned>(columns);
    if (m_block && n == Head()->columns)
        return;
    ResizeTo(n, HasObjects());
}

void CGridRowCells::ResizeTo(unsigned n, bool withObjects)
{
    const unsigned old = m_block ? Head()->columns : 0;
    const unsigned kept = std::min(n, old);
    const std::size_t keptBytes = kept == 0 ? 0 : TextStart(kept);
    std::unique_ptr<std::byte[]> block = Allocate(n, withObjects, keptBytes + (n - kept));
    if (withObjects && HasObjects())
        std::copy_n(Objects(), kept, reinterpret_cast<CGridCellBase**>(block.get() + kObjectsAt));
    auto* records = reinterpret_cast<Record*>(block.get() + RecordsAt(n, withObjects));
    if (kept > 0)
        std::uninitialized_copy_n(Records(), kept, records);
    char* texts = reinterpret_cast<char*>(records + n);
    if (keptBytes > 0)
        std::memcpy(texts, Texts(), keptBytes);
    for (unsigned c = kept; c < n; ++c) {
        new (records + c) Record{};
        texts[keptBytes + (c - kept)] = '\0';
    }
    m_block = std::move(block);
}

void CGridRowCells::SetObject(int column, CGridCellBase* cell)
{
    if (!HasObjects()) {
        if (cell == nullptr)
            return;
        ResizeTo(Head()->columns, true);
    }
    Objects()[column] = cell;
}
