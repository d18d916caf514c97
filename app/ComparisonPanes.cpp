#include "app/ComparisonPanes.h"

#include "app/MainStatusBar.h"
#include "compare/StatusPanes.h"
#include "session/AppSession.h"
#include "session/CommandTable.h"

#include <QLabel>

namespace twinseek {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

ComparisonPanes::ComparisonPanes(MainStatusBar& bar, QObject* parent)
    : QObject(parent), bar(bar), endTextTimer(new QTimer(this)) {
    setObjectName("comparisonPanes");
    endTextTimer->setObjectName("comparisonEndTextTimer");
    endTextTimer->setSingleShot(true);
    endTextTimer->setInterval(int(kComparisonEndTextMillis));
    connect(endTextTimer, &QTimer::timeout, this, [this] { this->bar.SetPaneText(0, kReadyText); });
}

void ComparisonPanes::Update(AppSession& session, uint32_t tick) {
    const ComparingList& comparing = session.Comparing();
    const CompareTotals totals = session.Totals();
    ComparisonProgress::Snapshot now{session.IsComparing(), totals.queuedBytes, totals.finishedBytes,
                                     totals.bytesInProgress};
    if (comparing.RowCount() > 0) {
        const CompareJob& first = comparing.Job(0);
        now.fileDone = first.bytesDone.load(std::memory_order_relaxed);
        now.fileSize = first.item->Size();
    }
    const bool ended = progress.Update(tick, now);
    bar.SetPaneText(1, Text(PaneSizeText(session.Comparing(), session.Finished())));
    bar.SetPaneText(2, Text(PaneCountText(session.Comparing(), session.Finished())));
    bar.SetPaneText(3, Text(progress.PercentText()));
    bar.SetPaneText(4, Text(progress.ElapsedText()));
    bar.SetPaneText(5, Text(progress.LeftText()));
    bar.SetPaneText(6, Text(PaneSpeedText(session.Comparing())));
    if (ended) {
        bar.SetPaneText(0, Text(ComparisonEndText(session.Doc().duplicates, progress.Stopped())));
        endTextTimer->start();
    } else if (now.comparing && endTextTimer->isActive()) {
        // A new comparison while the last one's words still show.
        endTextTimer->stop();
        bar.SetPaneText(0, kReadyText);
    }
}

}  // namespace twinseek
