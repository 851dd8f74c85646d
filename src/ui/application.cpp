#include "ui/application.h"

#include <chrono>
#include <iostream>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QProxyStyle>
#include <QToolButton>

#include "app/error.h"
#include "app/random.h"
#include "app/startup.h"
#include "launch/backup.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/instance_guard.h"
#include "platform/processes.h"
#include "ui/instance_channel.h"
#include "ui/main_window.h"
#include "ui/nightclub_dialog.h"
#include "ui/qt_prompter.h"
#include "ui/tips_dialog.h"

namespace seewolf::ui {

namespace {

std::vector<std::string> ArgumentsOf(int argc, char** argv, const std::filesystem::path& executable) {
    // UTF-8 text (on Windows from the wide command line); argument 0 is the executable's full
    // path as the system reports it.
    std::vector<std::string> arguments = platform::ProcessArguments(argc, argv);
    if (arguments.empty()) {
        arguments.emplace_back();
    }
    arguments.front() = platform::Utf8FromPath(executable);
    return arguments;
}

// The start that rolls back after the game may come while the Seewolf that launched it is still
// ending; it waits this long for the instance guard.
constexpr std::chrono::seconds kRollBackStartWait{10};

// A start that cannot go on: the message box says why (standard error too, for a start without a
// display), and the exit code tells the caller.
int RefuseStart(int argc, char** argv, const std::string& text) {
    std::cerr << "Seewolf: " << Utf8FromCp1252(text) << '\n';
    QApplication application(argc, argv);
    QtPrompter prompter;
    prompter.ShowMessage(text, MessageKind::Error, Button::Ok);
    return 1;
}

std::string RollBackRefusedText(const CommandLine& commandLine) {
    const auto game = commandLine.GameFolderArgument();
    return "The game files" + (game ? " in " + platform::TextFromPath(*game) : std::string()) +
           " were not rolled back after the game: another Seewolf is still running from this folder. Press "
           "Roll back in its window, or close it, start Seewolf again and press Roll back.";
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

bool StartAgain(std::unique_ptr<platform::InstanceGuard>& guard, const std::filesystem::path& executable,
                const std::function<bool(const platform::ProgramCall&)>& start) {
    guard.reset();
    platform::ProgramCall call;
    call.program = executable;
    call.workingFolder = executable.parent_path();
    return start(call);
}

int RunSeewolf(int argc, char** argv) {
    const std::filesystem::path executable = platform::ExecutablePath();
    const std::vector<std::string> arguments = ArgumentsOf(argc, argv, executable);

    const CommandLine commandLine = CommandLineFromArguments(arguments);

    auto guard = std::make_unique<platform::InstanceGuard>(executable);
    const QString channelName = ChannelName(guard->BlockName());
    bool anotherOwns = false;
    try {
        anotherOwns = commandLine.AutoRollbackAndClose()
                          ? guard->AnotherInstanceOwns(platform::InstanceGuard::HandleBeforeWindow(), 1,
                                                       kRollBackStartWait)
                          : guard->AnotherInstanceOwns(platform::InstanceGuard::HandleBeforeWindow(), 1);
    } catch (const Error& error) {
        return RefuseStart(argc, argv, error.what());
    }
    if (anotherOwns) {
        // No window here. On Windows the guard has restored the first instance's window and
        // brought it forward, and the arguments go to it as a window message. Elsewhere, or when
        // that window does not exist yet, the local channel carries them and the first instance
        // brings its window forward when it hears from us.
        const std::vector<std::string> handed(arguments.begin() + 1, arguments.end());
        if (handed.empty() || !platform::ForwardArguments(guard->FirstInstanceHandle(), handed)) {
            QCoreApplication messenger(argc, argv);
            InstanceChannel::Forward(channelName, handed);
        }
        // A roll-back that cannot run must not go unnoticed: the game folder stays changed.
        return commandLine.AutoRollbackAndClose() ? RefuseStart(argc, argv, RollBackRefusedText(commandLine))
                                                  : 0;
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
        startup = RunStartup(commandLine, executable.parent_path(), prompter,
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

    bool restart = false;
    int exitCode = 0;
    {
        MainWindow mainWindow(startup, random, prompter);
        // The nightclub is made once and shown from the career menu; the main window owns it.
        auto* nightclub = new NightclubDialog(startup.paths, startup.language, prompter, random, &mainWindow);
        if (const auto* close = mainWindow.findChild<QToolButton*>(QStringLiteral("sbClose"))) {
            nightclub->TakeClosePicture(*close);
        }
        mainWindow.SetNightclubHook(
            [nightclub](const SelectedCareer& career) { nightclub->ShowModal(career); });
        prompter.SetParent(&mainWindow);
        prompter.SetStatusSink(
            [&mainWindow](std::string_view text) { mainWindow.SetStatus(text); },
            [&mainWindow] { mainWindow.HideStatus(); },
            [&mainWindow](std::size_t done, std::size_t total) { mainWindow.ShowProgress(done, total); });
        InstanceChannel channel;
        channel.Listen(channelName,
                       [&mainWindow](const std::vector<std::string>&) { mainWindow.BringToFront(); });
        ShowTipsAtFirstActivation(&mainWindow, mainWindow.GetPaths(), random, prompter);
        mainWindow.show();
        // A second start finds this window through the guard's block (on Windows).
        guard->PublishWindow(static_cast<std::int64_t>(mainWindow.winId()));
        exitCode = QApplication::exec();
        restart = mainWindow.RestartRequested();
        prompter.SetStatusSink(nullptr, nullptr);
    }
    if (!restart) {
        return exitCode;
    }
    // The window and the channel are gone; the new Seewolf must find the program free.
    if (!StartAgain(guard, executable,
                    [](const platform::ProgramCall& call) { return platform::StartDetached(call); })) {
        prompter.ShowMessage("Seewolf could not start again from " + platform::TextFromPath(executable) +
                                 ". Start it yourself: it uses the game folder you chose.",
                             MessageKind::Error, Button::Ok);
        return 1;
    }
    return exitCode;
}

}  // namespace seewolf::ui
