// The About page: product name, version and build, the maker's addresses and the manual; a
// Ctrl-click on the logo opens the module setup dialog.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/appwindows.h"
#include "app/configurationpage.h"
#include "app/prompts.h"
#include "app/tmainform.h"
#include "app/tmodsetform.h"
#include "app/version.h"
#include "app/windowplacement.h"

namespace {

QFrame* panel(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(QFrame::StyledPanel);
    return f;
}

QLabel* label(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(name);
    return l;
}

// The logo: a press on it goes to the window's Image1MouseDown.
class LogoLabel : public QLabel {
  public:
    LogoLabel(TMainForm* form, QWidget* parent) : QLabel(parent), m_form(form) {}

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        QLabel::mousePressEvent(event);
        m_form->Image1MouseDown(event);
    }

  private:
    TMainForm* m_form;
};

} // namespace

void TMainForm::buildAboutPage() {
    AboutPage = new QWidget;
    AboutPage->setObjectName("AboutPage");
    PageControl1->addTab(AboutPage, QStringLiteral("About"));
    auto* layout = new QVBoxLayout(AboutPage);

    auto* p1 = panel(AboutPage, "Panel1");
    auto* g1 = new QGridLayout(p1);
    auto* name = label(p1, "AboutAppName", QStringLiteral("Orvo"));
    QFont big = name->font();
    big.setPointSize(28);
    big.setBold(true);
    name->setFont(big);
    Image1 = new LogoLabel(this, p1);
    Image1->setObjectName("Image1");
    Image1->setFixedSize(57, 57);
    Image1->setScaledContents(true);
    g1->addWidget(Image1, 0, 0, 2, 1);
    g1->addWidget(name, 0, 1);
    g1->addWidget(label(p1, "AboutSubtitle", QStringLiteral("Altitude Data Recording and Monitoring System")),
                  1, 1);
    g1->addWidget(
        label(p1, "AboutNotice", QStringLiteral("Copyright (c) Tamberlin Systems. All rights reserved.")), 2,
        1);
    layout->addWidget(p1);

    auto* p4 = panel(AboutPage, "Panel4");
    auto* g4 = new QGridLayout(p4);
    g4->addWidget(label(p4, "AboutVersion", QStringLiteral("Version:")), 0, 0);
    VersionInfo = label(p4, "VersionInfo", QString());
    g4->addWidget(VersionInfo, 0, 1);
    g4->addWidget(label(p4, "Label22", QStringLiteral("Beta")), 0, 2);
    g4->addWidget(label(p4, "Label4", QStringLiteral("Build:")), 1, 0);
    BuildInfo = label(p4, "BuildInfo", QString());
    g4->addWidget(BuildInfo, 1, 1, 1, 2);
    g4->setColumnStretch(3, 1);
    layout->addWidget(p4);

    auto* p2 = panel(AboutPage, "Panel2");
    auto* g2 = new QGridLayout(p2);
    g2->addWidget(label(p2, "Label14", QStringLiteral("Email:")), 0, 0);
    AboutEmail = label(p2, "AboutEmail", QString::fromLatin1(orvo::MakerEmail));
    AboutEmail->setCursor(Qt::PointingHandCursor);
    g2->addWidget(AboutEmail, 0, 1);
    g2->addWidget(label(p2, "Label15", QStringLiteral("WebSite:")), 1, 0);
    AboutWebSite = label(p2, "AboutWebSite", QString::fromLatin1(orvo::MakerWebAddress));
    AboutWebSite->setCursor(Qt::PointingHandCursor);
    g2->addWidget(AboutWebSite, 1, 1);
    g2->setColumnStretch(2, 1);
    layout->addWidget(p2);

    auto* row = new QHBoxLayout;
    ManualBtn = new QPushButton(QStringLiteral("Manual"), AboutPage);
    ManualBtn->setObjectName("ManualBtn");
    row->addWidget(ManualBtn);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);

    // The two links are labels: the window's event filter opens them on a press.
    connect(ManualBtn, &QPushButton::clicked, this, &TMainForm::ManualBtnClick);
}

void TMainForm::showVersionAndBuild() {
    VersionInfo->setText(QString::fromStdString(GetProgramVersion()));
    BuildInfo->setText(QString::fromLatin1(BuildStamp()));
}

void TMainForm::AboutEmailClick() {
    const QString address = AboutEmail->text();
    // Without a mail program the desktop opens nothing; the address is what the user needs then.
    if (!m_prompts->openUrl(QUrl(QStringLiteral("mailto:%1").arg(address))))
        m_prompts->error(this, QStringLiteral("No mail program is set up on this computer to write to %1.\n"
                                              "Write to %1 from the mail program you use.")
                                   .arg(address));
}

void TMainForm::AboutWebSiteClick() {
    const QString text = AboutWebSite->text();
    if (!m_prompts->openUrl(QUrl::fromUserInput(text)))
        m_prompts->error(this, QStringLiteral("No web browser is set up on this computer to open %1.\n"
                                              "Open %1 in the browser you use.")
                                   .arg(text));
}

QString TMainForm::manualPath() {
    return ManualPath(QCoreApplication::applicationDirPath());
}

// The built-in manual's resources live in this static library: they are registered by hand.
static void initManualResources() {
    Q_INIT_RESOURCE(orvo_manual_text);
}

namespace {

// The manual in a window of the program's own, from the text and pictures built into it.
void showManualWindow(QWidget* owner, const QString& note) {
    initManualResources();
    auto* window = owner->findChild<QWidget*>(QStringLiteral("ManualWindow"));
    if (!window) {
        window = new QWidget(owner, Qt::Window);
        window->setObjectName("ManualWindow");
        window->setWindowTitle(QStringLiteral("Orvo Manual"));
        auto* layout = new QVBoxLayout(window);
        auto* noteLabel = new QLabel(window);
        noteLabel->setObjectName("ManualNote");
        noteLabel->setWordWrap(true);
        noteLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(noteLabel);
        auto* text = new QTextBrowser(window);
        text->setObjectName("ManualText");
        text->setOpenExternalLinks(true);
        text->setSource(QUrl(QStringLiteral("qrc:/manual/manual.md")), QTextDocument::MarkdownResource);
        layout->addWidget(text, 1);
        window->resize(820, 700);
    }
    auto* noteLabel = window->findChild<QLabel*>(QStringLiteral("ManualNote"));
    noteLabel->setText(note);
    noteLabel->setVisible(!note.isEmpty());
    if (!window->isVisible()) placeWindow(window, owner);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void TMainForm::ManualBtnClick() {
    const QString path = QDir::toNativeSeparators(manualPath());
    // Without the PDF, or without a program to open it, the manual shows in the program itself;
    // the note says where the PDF is (or should be).
    if (!QFileInfo::exists(manualPath())) {
        showManualWindow(this, QStringLiteral("The manual is missing: there is no file %1.").arg(path));
        return;
    }
    if (!m_prompts->openUrl(QUrl::fromLocalFile(manualPath())))
        showManualWindow(this, QStringLiteral("No program is set up on this computer to open the manual "
                                              "%1.\nOpen the file with a PDF reader.")
                                   .arg(path));
}

void TMainForm::Image1MouseDown(QMouseEvent* event) {
    // The hidden door to the module setup dialog: Ctrl with any button, other modifiers ignored.
    if (!(event->modifiers() & Qt::ControlModifier) || !m_windows) return;
    TModSetForm& dlg = *m_windows->modSetForm;
    const orvo::ConfigBlock& c = m_state->config;
    {
        // Filling the dialog is not an edit: a size of 0 or above 8 selects nothing and stays.
        const QSignalBlocker block(dlg.MemList);
        dlg.ModDisp->setText(QString::number(c.ModuleVersion));
        dlg.MemList->setCurrentIndex(c.MemorySize >= 1 && c.MemorySize <= 8 ? c.MemorySize - 1 : -1);
    }
    m_prompts->execDialog(&dlg);
    if (m_configure) m_configure->showModuleVersion();
}
