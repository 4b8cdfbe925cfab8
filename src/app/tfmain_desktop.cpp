// What makes the main window behave like other programs on the desktop:
// files opened from outside (command line, drag and drop) and the usual
// keyboard shortcuts.
#include "app/application.h"
#include "app/tfmain.h"
#include "widgets/vertical_pager.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QShortcut>
#include <QUrl>

namespace {
// The local file a drag carries, when it carries exactly one.
QString DraggedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}
}  // namespace

void TFMain::OpenFromOutside(const QString& path)
{
    RunCommand([this, &path] { LoadFile(path); });
}

void TFMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DraggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TFMain::dropEvent(QDropEvent* event)
{
    const QString path = DraggedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    OpenFromOutside(path);
}

void TFMain::InstallShortcuts()
{
    setAcceptDrops(true);
    MINew->setShortcut(QKeySequence::New);
    MIOpen->setShortcut(QKeySequence::Open);
    MISave->setShortcut(QKeySequence::Save);
    MISaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    MIRead->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    MIWrite->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    MIApply->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    MIVerify->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    MIConnection->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    N20->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    N7->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    for (QAction* a : {MINew, MIOpen, MISave, MISaveAs, MIRead, MIWrite, MIApply, MIVerify,
                       MIConnection, N20, N7})
        a->setShortcutContext(Qt::WindowShortcut);
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), this);
    auto* previousBacktab =
        new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    next->setObjectName(QStringLiteral("NextPageShortcut"));
    previous->setObjectName(QStringLiteral("PreviousPageShortcut"));
    connect(next, &QShortcut::activated, this, [this] { StepPage(1); });
    connect(previous, &QShortcut::activated, this, [this] { StepPage(-1); });
    connect(previousBacktab, &QShortcut::activated, this, [this] { StepPage(-1); });
}

void TFMain::StepPage(int step)
{
    // Through the pages whose tabs are shown, round the end.
    const int n = AdvOfficePager->count();
    int index = AdvOfficePager->activeIndex();
    for (int tried = 0; tried < n; ++tried) {
        index = (index + step + n) % n;
        if (AdvOfficePager->isTabVisible(index)) {
            AdvOfficePager->setActivePage(AdvOfficePager->page(index));
            return;
        }
    }
}
