#include "app/ScanWizard.h"

#include "app/Icons.h"
#include "views/CheckFolderTree.h"
#include "controls/ScanAnimation.h"
#include "document/Document.h"
#include "scan/ScanEngine.h"
#include "scan/ScanStatusMailbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWizardPage>

#include <memory>
#include <optional>

namespace twinseek {

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

// Which control of its page a widget stands for, for help requests.
constexpr char kControlIdProperty[] = "controlId";

// A widget with text needs no accessible name: screen readers read its text,
// also as it changes. Pages and dialogs are named by their captions.
template <typename Widget>
Widget* Named(Widget* widget, const char* objectName, int controlId = 0) {
    widget->setObjectName(objectName);
    if (controlId != 0) widget->setProperty(kControlIdProperty, controlId);
    return widget;
}

template <typename Widget>
Widget* Named(Widget* widget, const char* objectName, const QString& accessibleName) {
    widget->setAccessibleName(accessibleName);
    return Named(widget, objectName);
}

QFont TitleFont(const QFont& desktop) {
    QFont font = desktop;
    font.setBold(true);
    font.setPointSize(12);
    return font;
}

// The picture at the side of the welcome and completing pages.
QPixmap Watermark() {
    QPixmap picture(128, 128);
    QPainter painter(&picture);
    QLinearGradient shade(0, 0, 0, 128);
    shade.setColorAt(0, QColor(0x1d, 0x4f, 0x91));
    shade.setColorAt(1, QColor(0x5b, 0x9b, 0xd5));
    painter.fillRect(picture.rect(), shade);
    ProgramIcon().paint(&painter, QRect(24, 24, 80, 80));
    return picture;
}

void SetCaptionTexts(QWizardPage& page, int id) {
    const WizardPageText& text = WizardPageOf(id);
    if (text.headerTitle) page.setTitle(Text(text.headerTitle));
    if (text.headerSubtitle) page.setSubTitle(Text(text.headerSubtitle));
}

class WelcomePage final : public QWizardPage {
public:
    explicit WelcomePage(ScanWizardData& data) : data(data), step(data) {
        Named(this, "welcomePage", Text(WizardPageOf(kWelcomePageId).caption));
        setPixmap(QWizard::WatermarkPixmap, Watermark());
        auto* title = Named(new QLabel(Text(kWelcomeTitle)), "welcomeTitle", 1009);
        title->setFont(TitleFont(font()));
        title->setWordWrap(true);
        // A bullet in the desktop's font, where the old one drew it in a symbol font.
        auto* bullet = Named(new QLabel(QString(QChar(0x2022))), "welcomeBullet", 1010);
        QFont bulletFont = font();
        bulletFont.setPointSize(8);
        bullet->setFont(bulletFont);
        skip = Named(new QCheckBox(Text(kSkipWelcomeText)), "skipWelcome", 1011);
        skip->setChecked(step.SkipTickedAtStart());
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(title);
        layout->addSpacing(24);
        layout->addWidget(bullet);
        layout->addStretch();
        layout->addWidget(skip);
    }

    // True when this first activation moves straight on.
    bool MovesOnAtOnce() { return step.SkipOnActivation(skip->isChecked()); }

    bool validatePage() override {
        WelcomeStep::LeaveWithNext(data, skip->isChecked());
        return true;
    }

private:
    ScanWizardData& data;
    WelcomeStep step;
    QCheckBox* skip;
};

class FolderPage final : public QWizardPage {
public:
    FolderPage(ScanWizardData& data, const DirectoryListing& listing, const DriveSource& drives) : data(data) {
        Named(this, "folderPage", Text(WizardPageOf(kFolderPageId).caption));
        SetCaptionTexts(*this, kFolderPageId);
        auto* label = Named(new QLabel(Text(kSelectFoldersText)), "selectFoldersLabel");
        tree = new CheckFolderTree(listing, drives);
        tree->setProperty(kControlIdProperty, 1000);
        label->setBuddy(tree);
        auto* selectAll = Named(new QPushButton(Text(kSelectAllText)), "selectAllFolders", 1001);
        auto* clearAll = Named(new QPushButton(Text(kClearAllText)), "clearAllFolders", 1002);
        connect(selectAll, &QPushButton::clicked, this, [this] { tree->SelectAll(); });
        connect(clearAll, &QPushButton::clicked, this, [this] { tree->ClearAll(); });
        auto* layout = new QGridLayout(this);
        layout->addWidget(label, 0, 0, Qt::AlignTop);
        layout->addWidget(tree, 0, 1, 1, 3);
        layout->addWidget(selectAll, 1, 1);
        layout->addWidget(clearAll, 1, 2);
        layout->setColumnStretch(1, 0);
        layout->setColumnStretch(3, 1);
        layout->setRowStretch(0, 1);
    }

    CheckFolderTree& Tree() const { return *tree; }

    bool validatePage() override {
        data.roots = tree->CollectChecked();
        if (!data.roots.empty()) return true;
        QMessageBox warning(QMessageBox::Warning, Text(kNoRootTitle), Text(kNoRootText), QMessageBox::Ok, this);
        Named(&warning, "noRootWarning", Text(kNoRootTitle));
        warning.exec();
        return false;
    }

private:
    ScanWizardData& data;
    CheckFolderTree* tree;
};

class SizePage final : public QWizardPage {
public:
    SizePage() {
        Named(this, "sizePage", Text(WizardPageOf(kSizePageId).caption));
        SetCaptionTexts(*this, kSizePageId);
        static constexpr const char* kNames[7] = {"Huge Files",   "Very Large Files", "Large Files", "Normal Files",
                                                  "Small Files", "Very Small Files", "Tiny Files"};
        auto* layout = new QGridLayout(this);
        layout->setColumnStretch(0, 1);
        layout->setColumnStretch(4, 1);
        layout->setRowStretch(0, 1);
        layout->setRowStretch(4, 2);
        for (int box = 0; box < 7; ++box) {
            boxes[box] = new QCheckBox(Text(kNames[box]));
            boxes[box]->setObjectName(QString("sizeBox%1").arg(box + 1));
            boxes[box]->setProperty(kControlIdProperty, 1015 + box);
            layout->addWidget(boxes[box], 1 + box / 3, 1 + box % 3);
        }
        auto* selectAll = Named(new QPushButton(Text(kSelectAllText)), "selectAllSizes", 1001);
        auto* clearAll = Named(new QPushButton(Text(kClearAllText)), "clearAllSizes", 1002);
        connect(selectAll, &QPushButton::clicked, this, [this] { TickAll(true); });
        connect(clearAll, &QPushButton::clicked, this, [this] { TickAll(false); });
        layout->addWidget(selectAll, 3, 2);
        layout->addWidget(clearAll, 3, 3);
        // No way back from the scan that follows: Qt offers Back only where
        // the page before is not a commit page.
        setCommitPage(true);
    }

    bool validatePage() override {
        SizeTicks ticks{};
        for (size_t box = 0; box < ticks.size(); ++box) ticks[box] = boxes[box]->isChecked();
        StoreAutoCompare(ticks);
        return true;
    }

private:
    void TickAll(bool ticked) {
        for (QCheckBox* box : boxes) box->setChecked(ticked);
    }

    std::array<QCheckBox*, 7> boxes{};
};

// Wakes the scanning page on its own thread whenever progress has arrived.
class PageMailbox final : public ScanStatusMailbox {
public:
    PageMailbox(QObject& page, std::function<void()> deliver) : page(page), deliver(std::move(deliver)) {}

private:
    void Wake() override { QMetaObject::invokeMethod(&page, deliver, Qt::QueuedConnection); }

    QObject& page;
    std::function<void()> deliver;
};

}  // namespace

class ScanningPage final : public QWizardPage {
public:
    ScanningPage(ScanWizardData& data, Document& document, std::function<void(bool)> shown)
        : data(data), document(document), shown(std::move(shown)), mailbox(*this, [this] { Deliver(); }) {
        Named(this, "scanningPage", Text(WizardPageOf(kScanningPageId).caption));
        SetCaptionTexts(*this, kScanningPageId);
        status = Named(new QLabel, "scanStatus");
        status->setAccessibleDescription("Current folder");
        status->setTextFormat(Qt::PlainText);
        // A long path must not widen the wizard: it is shortened in the middle.
        status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        status->setFixedHeight(2 * status->fontMetrics().lineSpacing());
        status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        animation = new ScanAnimation;
        animation->setProperty(kControlIdProperty, 1012);
        counts = Named(new QLabel(QString::fromStdString(ScanProgressCount::FoundText(0, 0))), "scanCounts", 1013);
        counts->setAccessibleDescription("Files and folders found");
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(status);
        layout->addStretch();
        layout->addWidget(animation, 0, Qt::AlignHCenter);
        layout->addStretch();
        layout->addWidget(counts, 0, Qt::AlignHCenter);
        refresh.setSingleShot(true);
        refresh.setInterval(kRefreshMilliseconds);
        connect(&refresh, &QTimer::timeout, this, [this] { Collect(); });
        setCommitPage(true);
    }

    ~ScanningPage() override { StopScan(); }

    // Only Cancel while the scan runs, and nothing but the scan's end moves on.
    bool isComplete() const override { return false; }

    void initializePage() override {
        if (engine) return;
        engine.emplace(document.root, &document.intake, &document.links, &document.scanChanges, &mailbox);
        // If the thread cannot start, the page stays as it is; Cancel still ends the wizard.
        started = engine->Start(data.roots);
    }

    void StopScan() {
        if (!engine) return;
        engine->Stop();
        engine->Wait();
        ended = true;
    }

    bool Started() const { return started; }
    bool Ended() const { return ended; }

private:
    static constexpr int kRefreshMilliseconds = 100;

    // Woken by the mailbox: the end of the scan is acted on at once; other
    // mail is taken a few times a second, so that a scan of many small folders
    // neither keeps the window busy nor waits for it. Counting stays exact.
    void Deliver() {
        if (ended) return;
        if (mailbox.DonePending())
            Collect();
        else if (!refresh.isActive())
            refresh.start();
    }

    void Collect() {
        if (ended) return;
        ScanStatusMailbox::Delivery delivery = mailbox.Take();
        count.StatusArrived(delivery.statusMessages);
        if (delivery.statusMessages) latestText = QFile::decodeName(delivery.latestText.c_str());
        if (!delivery.done) {
            ShowProgress();
            return;
        }
        refresh.stop();
        engine->Wait();
        ended = true;
        ShowProgress();
        shown(true);
        if (FinishWhenScanDone())
            wizard()->accept();
        else
            wizard()->next();
    }

    void ShowProgress() {
        if (!latestText.isNull())
            status->setText(status->fontMetrics().elidedText(latestText, Qt::ElideMiddle, status->width()));
        counts->setText(QString::fromStdString(ScanProgressCount::FoundText(engine->FilesFound(), count.Folders())));
        if (!ended) shown(false);
    }

    ScanWizardData& data;
    Document& document;
    std::function<void(bool)> shown;
    QLabel* status;
    ScanAnimation* animation;
    QLabel* counts;
    QTimer refresh;
    QString latestText;
    ScanProgressCount count;
    PageMailbox mailbox;
    // Made when the page is first shown; declared after the mailbox it posts to.
    std::optional<ScanEngine> engine;
    bool started = false;
    bool ended = false;
};

namespace {

class CompletingPage final : public QWizardPage {
public:
    CompletingPage() {
        Named(this, "completingPage", Text(WizardPageOf(kCompletingPageId).caption));
        setPixmap(QWizard::WatermarkPixmap, Watermark());
        auto* title = Named(new QLabel(Text(kCompletingTitle)), "completingTitle", 1009);
        title->setFont(TitleFont(font()));
        title->setWordWrap(true);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(title);
        layout->addStretch();
    }
};

}  // namespace

ScanWizard::ScanWizard(ScanWizardData& data, Document& document, const DirectoryListing& listing,
                       const DriveSource& drives, HelpHandler help, QWidget* parent)
    : QWizard(parent), help(std::move(help)) {
    setObjectName("scanWizard");
    // Read by its title, which names the page shown.
    setWindowTitle(Text(kWizardTitle));
    setWizardStyle(QWizard::ModernStyle);
    setOption(QWizard::HaveHelpButton, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    setPixmap(QWizard::LogoPixmap, ProgramIcon().pixmap(42, 42));

    auto* welcome = new WelcomePage(data);
    auto* folders = new FolderPage(data, listing, drives);
    folderTree = &folders->Tree();
    auto* sizes = new SizePage;
    scanningPage = new ScanningPage(data, document, [this](bool scanDone) { emit scanProgressShown(scanDone); });
    setPage(kWelcomePageId, welcome);
    setPage(kFolderPageId, folders);
    setPage(kSizePageId, sizes);
    setPage(kScanningPageId, scanningPage);
    setPage(kCompletingPageId, new CompletingPage);
    setStartId(kWelcomePageId);
    // The size page is a commit page only so that no Back leads to it; its
    // button still reads as Next.
    sizes->setButtonText(QWizard::CommitButton, buttonText(QWizard::NextButton));
    scanningPage->setButtonText(QWizard::CommitButton, buttonText(QWizard::NextButton));

    for (auto which : {QWizard::BackButton, QWizard::NextButton, QWizard::CommitButton, QWizard::FinishButton,
                       QWizard::CancelButton, QWizard::HelpButton}) {
        QAbstractButton* button = this->button(which);
        // Named for tests only: each is announced by the text it shows, which
        // the page may change (the commit button reads "Next >").
        const QString label = button->text().remove('&').remove(QChar('<')).remove(QChar('>')).trimmed();
        button->setObjectName("wizard" + QString(label).remove(' ') + "Button");
    }
    // The Help button does nothing; help comes from F1 on a control.
    connect(this, &QWizard::currentIdChanged, this, &ScanWizard::ShowPageCaption);

    for (QWidget* control : findChildren<QWidget*>()) control->installEventFilter(this);

    // The welcome page comes first, and on its first showing moves straight
    // on while its box is ticked, so that Back still reaches it.
    restart();
    if (welcome->MovesOnAtOnce()) next();
}

ScanWizard::~ScanWizard() { scanningPage->StopScan(); }

int ScanWizard::nextId() const { return NextWizardPage(currentId()); }

void ScanWizard::done(int result) {
    scanningPage->StopScan();
    QWizard::done(result);
}

bool ScanWizard::ScanStarted() const { return scanningPage->Started(); }

bool ScanWizard::ScanEnded() const { return scanningPage->Ended(); }

void ScanWizard::ShowPageCaption(int id) {
    if (id >= 0) setWindowTitle(Text(WizardPageOf(id).caption));
}

bool ScanWizard::eventFilter(QObject* watched, QEvent* event) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control) return QWizard::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::QueryWhatsThis:
        // Every control may be clicked in What's This mode.
        event->accept();
        return true;
    case QEvent::WhatsThis:
        if (help) help({control->property(kControlIdProperty).toInt(), 0});
        return true;
    case QEvent::KeyPress:
        // Seen first where the key was sent, and consumed there.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            if (help) help({control->property(kControlIdProperty).toInt(), 0});
            return true;
        }
        break;
    default:
        break;
    }
    return QWizard::eventFilter(watched, event);
}

bool RunScanWizard(ScanWizardData& data, Document& document, const DirectoryListing& listing,
                   const DriveSource& drives, ScanWizard::HelpHandler help) {
    ScanWizard wizard(data, document, listing, drives, std::move(help), QApplication::activeWindow());
    return wizard.exec() == QDialog::Accepted;
}

}  // namespace twinseek
