// A failure no command reports (memory running out, say) reaches the event loop: the
// window shows it in a message box, keeps its model and goes on.
#include <QTimer>
#include <new>

#include "app/guardedapplication.h"
#include "guitest.h"
#include "support.h"

using namespace twtest;

class GuardedApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void failureInACommandIsShownAndTheModelKept()
    {
        InTempDir dir;
        MainSession s;
        QDir().mkpath("engine");
        writeFile("engine/corvane", "#!/bin/false\n");
        s.scripted.install.registered = dir.path("engine/tallowick2");
        s.form.updateInstallDirectory();
        QVERIFY(s.form.openPimFile(kExample));
        s.model().markChanged();
        const Model before = s.model();
        s.answerFile(kExample);
        s.scripted.processes.fake = [](const ProcessRequest&) -> ProcessResult { throw std::bad_alloc(); };
        auto* app = static_cast<GuardedApplication*>(QCoreApplication::instance());
        app->setReporter([&s](const QString& text) { s.dialogs.message(&s.form, "Tallowick2", text); });

        // Through the event loop, as a menu click runs it.
        QTimer::singleShot(0, s.action("menu_run"), &QAction::trigger);
        QTRY_COMPARE(s.dialogs.messages(),
                     QStringList{"Not enough memory: the command was stopped and the model kept as it was."});
        app->setReporter({});
        QVERIFY(s.model() == before);
        QVERIFY(s.enabled("menu_savepims"));
    }
};

TW_GUI_TEST(GuardedApplicationTest)
#include "guarded_test.moc"
