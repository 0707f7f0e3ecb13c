#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

// Picture acquisition from a scanner through SANE. The library is initialised while at least one user
// (a device list, an acquisition) needs it; the SANE configuration (SANE_CONFIG_DIR) is read at that
// moment.
namespace Scanner {

struct Peripherique {
    QString nom; // the SANE device name ("test:0")
    QString fabricant;
    QString modele;
    QString type;
    // What the user chooses from: maker, model and device name.
    QString libelle() const;
};

// The devices SANE finds, network ones included. Throws ErreurExecution when the library cannot start.
QList<Peripherique> listePeripheriques();

// One option set before the scan, by its SANE name ("mode", "resolution", "br-x" in mm...). Numbers go to
// whole or fixed-point options, texts to text options, flags to booleans. An option the device lacks or
// refuses fails the acquisition, unless it is `facultative`.
struct Option {
    QString nom;
    QVariant valeur;
    bool facultative = false;
};

enum class Issue { Acquise, Annulee, Echec };

struct Resultat {
    Issue issue = Issue::Echec;
    QImage image;   // Format_RGB888, top-down; null unless acquired
    QString erreur; // what went wrong, for the message
};

// Acquires one picture, blocking: grey or colour frames (one frame, or three one-colour passes), depths
// 1, 8 and 16, and devices that do not know the height in advance. `progression` receives 0..100, or -1
// while the height is unknown; `annuler` is looked at between reads.
Resultat acquerir(const QString& peripherique, const QList<Option>& options, const std::atomic_bool& annuler,
                  const std::function<void(int)>& progression = {});

// The same on a thread of its own, so that the window stays responsive.
class Acquisition : public QObject {
    Q_OBJECT
public:
    explicit Acquisition(QObject* parent = nullptr);
    ~Acquisition() override; // cancels and waits

    // False while an acquisition is running.
    bool demarrer(const QString& peripherique, const QList<Option>& options);
    void annuler() { m_annuler = true; }
    bool enCours() const;
    // Cancels and waits for the end (the window closing).
    void attendreFin();
    // The outcome of the last acquisition, once terminee() came.
    const Resultat& resultat() const { return m_resultat; }

signals:
    void progression(int pourcent);
    void terminee();

private:
    QThread* m_fil = nullptr;
    std::atomic_bool m_annuler{false};
    Resultat m_resultat;
};

// The stored article picture: 190 pixels wide, the height in proportion (rounded half to even), written
// as a JPEG of quality 90. Throws the writer's ErreurExecution (26001, 75).
void EnregistrerImageScannee(const QImage& image, const QString& fichier);
// The size EnregistrerImageScannee gives a picture; a width of 0 keeps the size.
QSize tailleEnregistree(const QSize& taille);

} // namespace Scanner
