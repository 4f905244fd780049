#pragma once

#include <map>
#include <memory>
#include <string>

// Clipboard formats.
enum ClipboardFormat : unsigned { CF_TEXT = 1 };

// Data offered for the clipboard, one block of bytes per format, as the component library's data
// source holds it.
class COleDataSource {
public:
    // block is the whole memory block as the format defines it (CF_TEXT: the text and its NUL).
    void CacheGlobalData(unsigned format, std::string block);
    // The cached block, or null.
    const std::string* GetGlobalData(unsigned format) const;

    // Puts the data on the system clipboard. CF_TEXT goes as plain text up to its first NUL,
    // one character per byte. The clipboard shares the block rather than copying it: a copy of
    // a million log rows is one block of memory, and readers get their text when they paste.
    // False when there is no text to offer or no clipboard.
    bool SetClipboard() const;

private:
    std::map<unsigned, std::shared_ptr<const std::string>> m_blocks;
};
