#include "app/login_window.h"
#include "app/main_window.h"
#include "app/start_up.h"
#include "data/database.h"
#include "data/keyboard_state.h"
#include "data/message_box.h"
#include "data/process.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QM505"));
    qm::installQtTranslation();
    // Insert toggles overwrite from the login window on.
    qm::installKeyboardWatch();

    qm::setProgramFolder(QCoreApplication::applicationDirPath());
    // Held until main returns: the books are this program's alone while it runs.
    qm::BooksLock booksLock;
    bool ready = false;
    qm::guarded([&] {
        if (const auto refusal = qm::prepareBooks(booksLock)) {
            qm::showMessage(*refusal);
            return;
        }
        ready = true;
    });
    if (!ready)
        return 1;

    qm::LoginWindow login;
    if (login.exec() != QDialog::Accepted || qm::processEndRequested())
        return 0;

    qm::MainWindow mainWindow;
    mainWindow.show();
    return app.exec();
}
