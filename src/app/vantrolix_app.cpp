#include "app/vantrolix_app.h"

#include "app/after_first_paint.h"
#include "app/deferred_icon_style.h"
#include "app/port_setting.h"
#include "app/simulated_port.h"
#include "app/vantrolix_dlg.h"
#include "catalogue/model_argument.h"
#include "platform/resource_loader.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int CVantrolixApp::InitInstance()
{
    std::unique_ptr<CSimulatedPort> simulator;
    std::optional<std::string> port = m_options.port;
    if (m_options.simulateModel) {
        const int model = FindModelArgument(*m_options.simulateModel);
        if (model < 0) {
            std::fprintf(stderr, "vantrolix: %s\n", UnknownModelText(*m_options.simulateModel).c_str());
            return 2;
        }
        std::string error;
        simulator = StartSimulatedPort(model, error);
        if (!simulator) {
            std::fprintf(stderr, "vantrolix: cannot start the simulated device: %s\n", error.c_str());
            return 1;
        }
        port = simulator->PortName();
    }

    UseDeferredIconStyle();
    CVantrolixDlg dlg(CPortSetting(), port);
    if (m_options.watchController)
        dlg.WatchForThisRun(*m_options.watchController,
                            {true, QString::fromStdString(*m_options.watchDevice), m_options.passThrough});
    // Every window (this one, a session's, a dialog) takes its icon from here. Decoding the icon's
    // image is a good part of the start: the first frame goes without it.
    RunAfterFirstPaint(dlg, [] { QApplication::setWindowIcon(LoadResourceIcon(IDR_MAINFRAME)); });
    if (m_options.openFile)
        dlg.SetReviewFile(*m_options.openFile);
    if (m_options.runScript)
        dlg.RunScriptWhenOpen(*m_options.runScript, m_options.exitWhenDone);
    dlg.exec();
    return dlg.ExitStatus();
}
