// The Configure page's Firmware group: "Update Firmware" runs UpdateFirmware (firmware/) with the
// window's questions, log and progress bar; the hidden manual-entry check box.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "app/corepath.h"
#include "app/infotextlog.h"
#include "app/moduletransactions.h"
#include "app/prompts.h"
#include "app/tmainform.h"
#include "firmware/isp.h"
#include "moduleops/moduleoperations.h"

namespace {

const QString UpdateCaption = QStringLiteral("Orvo Firmware Update");

} // namespace

void TMainForm::connectFirmwareHandlers() {
    connect(UpdateBtn, &QPushButton::clicked, this, &TMainForm::UpdateBtnClick);
    connect(CompatChk, &QCheckBox::clicked, this, &TMainForm::CompatChkClick);
}

void TMainForm::CompatChkClick() {
    // Manual entry starts the loader by hand, so the part is not blank; unchecking does not bring
    // back the earlier check.
    if (CompatChk->isChecked()) BlankPartChk->setChecked(false);
    BlankPartChk->setEnabled(!CompatChk->isChecked());
}

void TMainForm::UpdateBtnClick() {
    // Nothing else may touch the port while the module is being programmed: every control that
    // starts a module operation (this button too) stays disabled, and a close waits for the end.
    auto busy = m_transactions->begin();
    if (!busy) return;
    if (m_prompts->message(this, Prompts::Icon::Warning, UpdateCaption,
                           QStringLiteral("Warning!  Firmware update can render\n"
                                          "the device non-operational!\n\n"
                                          "Be sure to use the proper firmware file.\n"
                                          "Do not interrupt the download process.\n\n"
                                          "Click OK to proceed with firmware update."),
                           QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;

    // FirmwareOpenDialog: existing files only; a typed name without extension means NAME.hex.
    QString path = m_prompts->openFileName(this, QStringLiteral("Select Firmware Update File"), QString(),
                                           QStringLiteral("Firmware Update (*.hex);;All Files (*.*)"));
    if (path.isEmpty()) return;
    if (!QFileInfo::exists(path) && QFileInfo(path).suffix().isEmpty() && QFileInfo::exists(path + ".hex"))
        path += QStringLiteral(".hex");

    // The loader's dialogue needs the port to itself.
    if (m_state->connected) disconnectPort();

    if (CompatChk->isChecked() &&
        m_prompts->message(this, Prompts::Icon::NoIcon, UpdateCaption,
                           QStringLiteral("1) Power off device\n2) Press and hold S2\n3) Power on device\n"
                                          "4) Hold S2 until \"PROG\" is displayed\n5) Click OK"),
                           QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;

    orvo::FirmwareUpdateOptions options;
    options.portName = CommPortBox->currentText().toStdString();
    options.linkSpeed = orvo::linkSpeedBaud(m_state->speedIndex);
    options.blankPart = BlankPartChk->isChecked();
    options.manualEntry = CompatChk->isChecked();
    options.recoveryHint = "To finish, check \"Part is Blank\" on the Configure page and click \"Update "
                           "Firmware\" again.";

    orvo::FirmwareUpdateHooks hooks;
    hooks.loaded = [this](int highest) {
        ProgressBar1->setValue(0);
        ProgressBar1->setMaximum(highest);
        ProgressBar1->setVisible(true);
    };
    hooks.progress = [this](int address) { ProgressBar1->setValue(address); };
    // The window repaints and answers input between records; the guard keeps other exchanges out.
    hooks.idle = [] { QCoreApplication::processEvents(); };
    hooks.codeSpaceExceeded = [this] {
        m_prompts->error(this, QStringLiteral("Hex file exceeds code space"));
    };
    hooks.fileRefused = [this, path](const std::string& why) {
        m_prompts->error(this, QStringLiteral("%1 is not a usable firmware file.").arg(path),
                         QString::fromStdString(why) + QStringLiteral(" Nothing was sent to the module."));
    };
    hooks.acceptBadChecksums = [this](int records, int firstLine) {
        return m_prompts->confirmDefaultNo(
            this, Prompts::Icon::Warning, UpdateCaption,
            QStringLiteral(
                "%1 record(s) of this firmware file have a wrong checksum (the first on line %2).\n"
                "The file may be damaged, and programming it could leave the module unusable.\n\n"
                "Program it anyway?")
                .arg(records)
                .arg(firstLine));
    };
    hooks.acceptNoData = [this] {
        return m_prompts->confirmDefaultNo(
            this, Prompts::Icon::Warning, UpdateCaption,
            QStringLiteral("This firmware file holds no data.\n"
                           "The update would erase the module's firmware and program nothing.\n\n"
                           "Erase the module anyway?"));
    };
    InfoTextLog log(this);
    orvo::updateModuleFirmware(m_state->link, orvo::corePath(path), options, log, hooks);

    ProgressBar1->setMaximum(100);
    ProgressBar1->setVisible(false);
    showPage(ConnectPage);
}
