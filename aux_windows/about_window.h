#pragma once
#include "aux_windows/aux_windows.h"
#include "aux_windows/unloading_window.h"

#include <QColor>
#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

// "版本 V" and the version's major, minor and revision numbers in plain decimal;
// missing parts count as 0.
QString versionText(const QString &version);
// The program's version: the application's own, else the one it was built as.
QString programVersion();
// The icon background's next colour in the five-colour cycle; a colour outside
// the cycle stays as it is.
QColor nextIconColour(const QColor &current);

// frmAbout: title, version, description, contact links and the system
// information button. Deletes itself when closed.
class AboutWindow : public UnloadingWindow<QDialog> {
    Q_OBJECT
public:
    explicit AboutWindow(const AuxServices &services);

    QColor iconBackground() const;

signals:
    void unloaded();

protected:
    void unloading() override;   // stops Timer1, then unloaded()
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void load();
    void advanceIconColour();
    void setIconBackground(const QColor &colour);
    void openEmail();
    void openHomePage();

    AuxServices m_services;
    QLabel *m_picIcon = nullptr;
    QLabel *m_lblTitle = nullptr;
    QLabel *m_lblVersion = nullptr;
    QLabel *m_lblDescription = nullptr;
    QLabel *m_lblDisclaimer = nullptr;
    QLabel *m_label1 = nullptr; // e-mail link
    QLabel *m_label4 = nullptr; // home-page link
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdSysInfo = nullptr;
    QTimer *m_timer1 = nullptr;
    QObject *m_pressedLink = nullptr;
};
