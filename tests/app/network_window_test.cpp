// The main window on a network port: the device end behind ser2net.

#include "main_window_fixture.h"

#include "app/setup_dlg.h"
#include "serial/fake_rfc2217_gateway.h"
#include "serial/network_channel.h"
#include "support/ser2net_gateway.h"

#include <QComboBox>
#include <QKeyEvent>

#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Keys for a widget asked for from a thread of its own, a hundred a second, and how long the UI
// thread took to take each: a blocked UI thread shows as a key that waited. The typist's queued
// call carries nothing and the key is made on the UI thread, so the hand-over is the program's own
// (the time stamps under a lock). Right arrow: it changes nothing.
class KeyLatency : public QObject {
public:
    explicit KeyLatency(QWidget* target) : m_target(target)
    {
        target->installEventFilter(this);
        m_typist = std::thread([this] {
            while (!m_stop) {
                {
                    std::lock_guard lock(m_mutex);
                    m_posted.push_back(Clock::now());
                }
                QMetaObject::invokeMethod(this, &KeyLatency::Type, Qt::QueuedConnection);
                std::this_thread::sleep_for(10ms);
            }
        });
    }
    ~KeyLatency() override
    {
        Stop();
        m_target->removeEventFilter(this);
    }
    void Stop()
    {
        m_stop = true;
        if (m_typist.joinable())
            m_typist.join();
    }
    Clock::duration Longest() const { return m_longest; }
    int Answered() const { return m_answered; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_target && event->type() == QEvent::KeyPress) {
            std::lock_guard lock(m_mutex);
            if (!m_posted.empty()) {
                m_longest = std::max(m_longest, Clock::now() - m_posted.front());
                m_posted.pop_front();
                ++m_answered;
            }
        }
        return false;
    }

private:
    void Type()
    {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QCoreApplication::sendEvent(m_target, &key);
    }

    QWidget* m_target;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::deque<Clock::time_point> m_posted; // keys posted and not yet taken, oldest first
    Clock::duration m_longest{};
    int m_answered = 0;
    std::thread m_typist;
};

using Mode = Ser2NetGateway::Mode;

// Valid, broken and checksum-error frames and 0xFF bytes, which a Telnet layer must pass intact.
const std::vector<std::uint8_t> kDeviceTalk = {1, 20, 20, 2, 215, 65, 1, 20, 20, 2, 214,
                                               1, 0xFF, 2, 0x5E, 0x40, 0xFF, 1, 237, 2, 94, 82};
constexpr int kTalkRows = 6;

class NetworkWindowTest : public MainWindowTest {
protected:
    // Setup, with the name typed in and OK; shown runs once it is up.
    void ChooseInSetup(const QString& name, const std::function<void()>& shown = {})
    {
        OnNextModal([&](QDialog& setup) {
            if (shown)
                shown();
            dynamic_cast<CSetupDlg&>(setup).PortCombo()->setEditText(name);
            setup.accept();
        });
        Button(1002)->click();
    }

    // The log's rows, time column left out, after the device talks to a window on the port.
    std::vector<QStringList> RowsOver(const std::string& portName)
    {
        Start(portName);
        EXPECT_TRUE(Edit(1001)->text().endsWith(" (port open)")) << Edit(1001)->toolTip().toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return device.ClientPresent(); }, 5000));
        Received(); // the start-up query
        DeviceSends(kDeviceTalk);
        EXPECT_TRUE(WaitForRows(kTalkRows + 1, 10000));
        std::vector<QStringList> rows;
        for (int row = 1; row < Grid().GetRowCount(); ++row)
            rows.push_back({Cell(row, 1), Cell(row, 2), Cell(row, 3)});
        dlg->reject();
        dlg.reset();
        return rows;
    }
};

} // namespace

TEST_F(NetworkWindowTest, RowsOverEitherKindOfGatewayAreThoseOverTheDevice)
{
    std::vector<std::vector<QStringList>> overNetwork;
    for (const Mode mode : {Mode::Raw, Mode::Rfc2217}) {
        Ser2NetGateway gateway(device.SlavePath(), mode);
        std::string error;
        ASSERT_TRUE(gateway.Start(error)) << error;
        overNetwork.push_back(RowsOver(gateway.PortName()));
    }
    const auto direct = RowsOver(device.SlavePath());
    ASSERT_EQ(direct.size(), static_cast<std::size_t>(kTalkRows));
    EXPECT_EQ(overNetwork[0], direct);
    EXPECT_EQ(overNetwork[1], direct);
}

TEST_F(NetworkWindowTest, SetupTakesATypedGatewayAndTheWindowFollowsItsRestart)
{
    Ser2NetGateway gateway(device.SlavePath(), Mode::Rfc2217);
    std::string error;
    ASSERT_TRUE(gateway.Start(error)) << error;
    Start("tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort()));
    EXPECT_TRUE(Edit(1001)->text().endsWith(" (could not open port)"));
    EXPECT_TRUE(Edit(1001)->toolTip().contains("refused")) << Edit(1001)->toolTip().toStdString();

    const QString name = QString::fromStdString(gateway.PortName());
    ChooseInSetup(name);
    ASSERT_TRUE(WaitForPort());
    EXPECT_EQ(Edit(1001)->text(), name + " (port open)");

    gateway.Stop();
    ASSERT_TRUE(WaitForRows(2, 10000));
    EXPECT_EQ(Cell(1, 1), "I/O Error!!!");
    ASSERT_TRUE(gateway.Start(error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return Edit(1001)->text() == name + " (port open)"; }, 10000));
    EXPECT_EQ(Grid().GetRowCount(), 2); // one row for the whole outage
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(NetworkWindowTest, TheWindowAnswersKeysWhileSilentGatewaysKeepItsPortOpening)
{
    // Each accepts the connection and never answers the negotiation: every open, the first, the
    // retries and Setup's, waits out the whole time-out.
    FakeRfc2217Gateway silent({});
    FakeRfc2217Gateway alsoSilent({});
    const QString first = QString::fromStdString(silent.PortName());
    const QString second = QString::fromStdString(alsoSilent.PortName());

    const auto starting = Clock::now();
    StartOpening(silent.PortName());
    const auto shownAfter = Clock::now() - starting;
    KeyLatency keys(Edit(1017));
    EXPECT_EQ(Edit(1001)->text(), first + " (opening port)");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Edit(1001)->text() == first + " (could not open port)"; }, 20000));
    EXPECT_TRUE(Edit(1001)->toolTip().contains("did not agree on serial port control")) << Edit(1001)->toolTip().toStdString();

    // Setup while a retry waits on the gateway: it comes up at once, and so does the next open.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->IsOpeningPort(); }, 5000));
    const auto clicked = Clock::now();
    Clock::duration setupAfter{};
    ChooseInSetup(second, [&] { setupAfter = Clock::now() - clicked; });
    EXPECT_EQ(Edit(1001)->text(), second + " (opening port)");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Edit(1001)->text() == second + " (could not open port)"; }, 20000));
    keys.Stop();

    EXPECT_GT(keys.Answered(), 100);
    // The window takes a key within a few milliseconds; the bound leaves room for a loaded
    // machine, yet an open on the UI thread (seconds) breaks it.
    const auto bound = std::chrono::duration_cast<std::chrono::milliseconds>(kNetworkOpenTimeout) / 6;
    EXPECT_LT(keys.Longest(), bound);
    EXPECT_LT(setupAfter, bound);
    EXPECT_LT(shownAfter, bound);
    auto ms = [](Clock::duration d) { return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()); };
    std::printf("window shown after %lld ms; longest wait of a key %lld ms; Setup up after %lld ms\n", ms(shownAfter),
                ms(keys.Longest()), ms(setupAfter));
}

TEST_F(NetworkWindowTest, AnotherPortChosenCutsAWaitingOpenShort)
{
    FakeRfc2217Gateway silent({});
    StartOpening(silent.PortName());
    ASSERT_TRUE(silent.Send({})) << "the window never connected";

    const auto chosen = Clock::now();
    const QString name = QString::fromStdString(device.SlavePath());
    ChooseInSetup(name);
    ASSERT_TRUE(WaitForPort());
    // Without the cut the pseudo-terminal waits for the gateway's time-out.
    EXPECT_LT(Clock::now() - chosen, std::chrono::duration_cast<std::chrono::milliseconds>(kNetworkOpenTimeout) / 2);
    EXPECT_EQ(Edit(1001)->text(), name + " (port open)");
    EXPECT_TRUE(dlg->Port().IsOpen());
    // The start-up's Device ID query goes to the port that opened.
    EXPECT_EQ(Received(), (std::vector<std::uint8_t>{1, 20, 20, 2, 215}));
}
