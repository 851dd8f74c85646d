#include "ui/application.h"

#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QProxyStyle>

#include "app/random.h"
#include "app/startup.h"
#include "launch/backup.h"
#include "platform/files.h"
#include "platform/instance_guard.h"
#include "platform/processes.h"
#include "ui/instance_channel.h"
#include "ui/main_window.h"
#include "ui/qt_prompter.h"

namespace seewolf::ui {

namespace {

std::vector<std::string> ArgumentsOf(int argc, char** argv, const std::filesystem::path& executable) {
    // Argument 0 is the executable's full path as the system reports it.
    const std::u8string self = executable.u8string();
    std::vector<std::string> arguments{std::string(self.begin(), self.end())};
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return arguments;
}

class HintStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

int RunSeewolf(int argc, char** argv) {
    const std::filesystem::path executable = platform::ExecutablePath();
    const std::vector<std::string> arguments = ArgumentsOf(argc, argv, executable);

    platform::InstanceGuard guard(executable);
    const QString channelName = ChannelName(guard.BlockName());
    if (guard.AnotherInstanceOwns(platform::CurrentProcessId(), 1)) {
        // The first instance brings its window forward when it hears from us; no window here.
        QCoreApplication messenger(argc, argv);
        InstanceChannel::Forward(channelName,
                                 std::vector<std::string>(arguments.begin() + 1, arguments.end()));
        return 0;
    }

    QApplication application(argc, argv);
    // Hints appear at once (the windows keep them up for twenty seconds).
    QApplication::setStyle(new HintStyle);
    // Only the name: a display name would be appended to every window title by the toolkit.
    QApplication::setApplicationName(kApplicationTitle);

    Random random(Random::ClockSeed());
    QtPrompter prompter;
    StartupResult startup;
    Guarded(prompter, [&] {
        startup = RunStartup(CommandLineFromArguments(arguments), executable.parent_path(), prompter,
                             [] { return platform::ProcessRunning("sh3.exe"); });
    });
    if (startup.rollBackAndClose) {
        // Started by the companion after the game: put the game folder back, show nothing.
        Guarded(prompter, [&] { RollBackGameFiles(startup.paths, prompter); });
        return 0;
    }
    if (!startup.proceed) {
        return 0;
    }

    MainWindow mainWindow(startup, random, prompter);
    prompter.SetParent(&mainWindow);
    prompter.SetStatusSink([&mainWindow](std::string_view text) { mainWindow.SetStatus(text); },
                           [&mainWindow] { mainWindow.HideStatus(); });
    InstanceChannel channel;
    channel.Listen(channelName,
                   [&mainWindow](const std::vector<std::string>&) { mainWindow.BringToFront(); });
    mainWindow.show();
    return QApplication::exec();
}

}  // namespace seewolf::ui
