#pragma once

#include "common/forms/FormBase.h"
#include "imaging/Scanner.h"

#include <QImage>
#include <QList>
#include <QString>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The scanner window: choose a scanner, scan (on a worker thread, with a progress and a cancel), look at
// the picture, and "OK" writes it 190 pixels wide as the JPEG file FichierImageScan. Opened modally by
// the article form, which then records the picture (ImageEnregistree) for its article.
class FenScanner : public FormBase {
    Q_OBJECT
public:
    explicit FenScanner(QWidget* parent = nullptr);
    ~FenScanner() override;

    // True once "OK" wrote the file of this opening; false at each load.
    bool ImageEnregistree = false;
    // The scanner chosen; kept from one opening to the next. Empty: the first one found.
    QString Peripherique;
    // Set on the scanner before each scan. By default colour, where the scanner offers it.
    QList<Scanner::Option> Reglages;

    // The picture of this opening's last scan (null when none succeeded).
    const QImage& ImageAcquise() const { return m_image; }
    bool AcquisitionEnCours() const { return m_acquisition.enCours(); }

    QPushButton* Command1; // "Selectionnez le scanner"
    QPushButton* Command2; // "Scannez"
    QPushButton* cmdOK;
    QPushButton* CmdAnnuler; // stops the scan
    QComboBox* Combo1;       // the scanners found
    QLabel* Picture1;        // the scanned picture
    QProgressBar* ProgressBar1;

protected:
    void Form_Load() override;
    void Form_Unload(bool& annuler) override;
    void Form_Resize() override;

private:
    void Command1_Click();
    void Command2_Click();
    void cmdOK_Click();
    void CmdAnnuler_Click();
    void Acquisition_Terminee();
    // Lists the scanners into Combo1; false (after a message) when there is none.
    bool listerScanners();
    void montrerImage();
    void etatAcquisition(bool enCours);

    Scanner::Acquisition m_acquisition;
    QImage m_image;
};
