#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QLineEdit;

// What an edit of the user (typing, pasting, dropping) may bring into a box: at most a number of
// characters, and only the characters the box's filter accepts. It does not use
// QLineEdit::setMaxLength: maxLength also cuts a longer text set from code (a stored 13-digit badge
// read into a 12-character box would come back shortened, and saved so). Here a text set from code
// shows whole and the characters already in the box are never touched: only the part an edit inserts
// is filtered, then cut where the limit falls. Deleting is always allowed.
class LongueurSaisie : public QObject {
    Q_OBJECT
public:
    // Decides the fate of one inserted character: false drops it; it may replace the character (a
    // decimal box types "." and "," as the workstation's separator).
    using Filtre = std::function<bool(QChar&)>;

    // Limits that box (0 or less: no limit); the helper belongs to the box. Calling it again changes the
    // limit of the same helper and keeps its filter.
    static LongueurSaisie* installer(QLineEdit* champ, int longueur);
    // The box's helper, made with no limit when it has none yet.
    static LongueurSaisie* pour(QLineEdit* champ);
    // The box's helper, or nullptr.
    static LongueurSaisie* de(QLineEdit* champ);

    int longueur() const { return m_longueur; }
    void setLongueur(int longueur) { m_longueur = longueur; }
    void setFiltre(Filtre filtre) { m_filtre = std::move(filtre); }

private:
    LongueurSaisie(QLineEdit* champ, int longueur);
    void surEdition(const QString& texte);

    QPointer<QLineEdit> m_champ;
    int m_longueur;
    Filtre m_filtre;
    // The text before the edit under way (textEdited comes before textChanged).
    QString m_precedent;
    bool m_correction = false;
};
