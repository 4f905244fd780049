#include "platform/ole_data_source.h"


#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>

namespace {

const QString kPlainText = QStringLiteral("text/plain");

// Clipboard data that hands out the shared block's text when it is asked for, instead of
// holding a wide copy of it from the start.
class SharedTextMimeData : public QMimeData {
public:
    explicit SharedTextMimeData(std::shared_ptr<const std::string> block) : m_block(std::move(block)) {}

    QStringList formats() const override { return {kPlainText}; }
    bool hasFormat(const QString& mimeType) const override { return mimeType == kPlainText; }

protected:
    // The block is UTF-8, as the grid's text is: asked for as bytes (another program pasting), it
    // goes as it is.
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType != kPlainText)
            return {};
        const char* bytes = m_block->c_str();
        const auto size = static_cast<qsizetype>(std::strlen(bytes));
        if (type.id() == QMetaType::QString)
            return QString::fromUtf8(bytes, size);
        return QByteArray(bytes, size);
    }

private:
    std::shared_ptr<const std::string> m_block;
};

} // namespace

void COleDataSource::CacheGlobalData(unsigned format, std::string block)
{
    m_blocks[format] = std::make_shared<const std::string>(std::move(block));
}

const std::string* COleDataSource::GetGlobalData(unsigned format) const
{
    const auto it = m_blocks.find(format);
    return it != m_blocks.end() ? it->second.get() : nullptr;
}

bool COleDataSource::SetClipboard() const
{
    const auto it = m_blocks.find(CF_TEXT);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (it == m_blocks.end() || clipboard == nullptr)
        return false;
    clipboard->setMimeData(new SharedTextMimeData(it->second));
    return true;
}
