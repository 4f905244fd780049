// Gives a test program the one QApplication that widgets, fonts and palettes need, with a fixed
// font and style so that measurements do not depend on the machine's settings.
#include <QApplication>
#include <QFont>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "vantrolix-tests";
        static char* argv[] = {name, nullptr};
        QApplication::setStyle("Fusion");
        m_app = std::make_unique<QApplication>(argc, argv);
        QFont font("DejaVu Sans");
        font.setPixelSize(13);
        QApplication::setFont(font);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
