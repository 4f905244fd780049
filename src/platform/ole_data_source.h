#pragma once

#include <map>
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

    // Puts the data on the system clipboard, which keeps its own copy. CF_TEXT goes as plain
    // text up to its first NUL, one character per byte. False when the component library is
    // not initialised on this thread or nothing can be offered.
    bool SetClipboard() const;

private:
    std::map<unsigned, std::string> m_blocks;
};
