// The Connect / Download page: its controls and handlers. The port and speed, Connect, Download
// Info, Download Data, Erase Data and the InfoText box, which is the log every module operation of
// the window writes to. Made by the main window on the page it gives, and owned by it.
#pragma once

#include <QObject>
#include <QString>

struct AppState;
class Prompts;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class TMainForm;

class ConnectDownloadPage : public QObject {
    Q_OBJECT
  public:
    // Builds the page's controls on body.
    ConnectDownloadPage(TMainForm* form, QWidget* body);

    // The InfoText log.
    void infoClear();
    void infoLine(const QString& line);
    QString lastLogLine() const; // "" when the log is empty
    QWidget* infoText() const;

    // Scans the serial ports into the port box, keeping what it shows.
    void fillPortList();
    QString portName() const;
    int portIndex() const; // -1 until the ports have been listed once
    void showSpeed(int index);

    // False when not connected; "Not Connected" has then been written (and the Connect page
    // shown when asked).
    bool linkConnected(bool showConnectPage);
    void disconnectPort();

    void ConnectBtnClick();
    void SpeedBoxChange(int index);
    void DLInfoBtnClick();
    void DLDataBtnClick();
    void EraseDataBtnClick();

  private:
    void connectLinkHandlers();
    void selectPort(const QString& port);
    void selectStartPort();
    // Downloads module set index into a new data set; false when its header never came.
    bool downloadOneSet(int index);

    TMainForm* m_form;
    AppState* m_state;
    Prompts* m_prompts;
    bool m_portsListed = false; // the port list has been filled once
    // The controls, found from outside by their object names (each is its member's name).
    QPlainTextEdit* InfoText = nullptr;
    QComboBox* CommPortBox = nullptr;
    QComboBox* SpeedBox = nullptr;
    QPushButton* ConnectBtn = nullptr;
    QPushButton* DLInfoBtn = nullptr;
    QPushButton* DLDataBtn = nullptr;
    QComboBox* SetList = nullptr;
    QPushButton* EraseDataBtn = nullptr;
};
