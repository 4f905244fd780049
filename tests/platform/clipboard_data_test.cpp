#include "platform/ole_data_source.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

#include <memory>
#include <string>

// The clipboard shares the copied block instead of holding a wide copy of it: the text is there
// after the data source has gone, reads as the UTF-8 it is, and another program asking for bytes
// gets that UTF-8.
TEST(ClipboardData, TheClipboardSharesTheBlockAndReadsItAsUtf8)
{
    {
        auto source = std::make_unique<COleDataSource>();
        source->CacheGlobalData(CF_TEXT, std::string("caf\xC3\xA9 \xC5\x82\t1\n2") + '\0');
        ASSERT_TRUE(source->SetClipboard());
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    EXPECT_EQ(clipboard->text(), QStringLiteral(u"caf\u00E9 \u0142\t1\n2"));
    const QMimeData* data = clipboard->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasText());
    EXPECT_EQ(data->data("text/plain"), QByteArray("caf\xC3\xA9 \xC5\x82\t1\n2"));
    EXPECT_TRUE(data->data("image/png").isEmpty());

    auto ascii = std::make_unique<COleDataSource>();
    ascii->CacheGlobalData(CF_TEXT, std::string("plain\0after", 11) + '\0');
    ASSERT_TRUE(ascii->SetClipboard());
    ascii.reset();
    EXPECT_EQ(clipboard->mimeData()->data("text/plain"), QByteArray("plain")) << "up to the first NUL";
}
