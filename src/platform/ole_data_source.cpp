#include "platform/ole_data_source.h"

#include "platform/ole_init.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <cstring>

void COleDataSource::CacheGlobalData(unsigned format, std::string block) { m_blocks[format] = std::move(block); }

const std::string* COleDataSource::GetGlobalData(unsigned format) const
{
    const auto it = m_blocks.find(format);
    return it != m_blocks.end() ? &it->second : nullptr;
}

bool COleDataSource::SetClipboard() const
{
    const std::string* text = GetGlobalData(CF_TEXT);
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (GetOleInitializeCount() == 0 || text == nullptr || clipboard == nullptr)
        return false;
    auto* data = new QMimeData;
    data->setText(QString::fromLatin1(text->c_str(), static_cast<qsizetype>(std::strlen(text->c_str()))));
    clipboard->setMimeData(data);
    return true;
}
