#include "counter/HistoriqueComptoir.h"

#include "common/ErreurExecution.h"
#include "common/MODTranslate.h"
#include "db/Connexion.h"
#include "db/Recordset.h"
#include "db/Routines.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <cmath>
#include <optional>

namespace HistoriqueComptoir {

namespace {

const char* const Colonnes =
    "Ventes.LaDate, Ventes.Utilisateur, Ventes.TypeMouvement, DetailVente.Reference, "
    "DetailVente.RefFournisseur, DetailVente.Designation, DetailVente.Quantite";

constexpr double TwipsParPouce = 1440.0;
constexpr int GaucheTwips = 500;
constexpr int HautTwips = 200;
constexpr int CaracteresParTabulation = 8;

// The average character width of the tab stops: the lowercase letters and the blank weighted by their
// frequency in English text, as fonts used to declare it. Windows gives Arial that width; Liberation Sans,
// its metric twin, declares another (the mean of all its glyphs), which would put the stops where the
// columns' tabs no longer line them up.
double largeurMoyenne(const QFontMetricsF& mesures) {
    static const int poids[] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
    double somme = 166 * mesures.horizontalAdvance(u' ');
    for (int i = 0; i < 26; ++i)
        somme += poids[i] * mesures.horizontalAdvance(QChar(u'a' + i));
    return somme / 1000;
}

ErreurExecution echec(const QString& description) {
    return ErreurExecution(ErreurExecution::PathFileAccess, description,
                           QStringLiteral("ImprimerHistorique"));
}

// The print-out's pen: a current position in device units and a font, printing line after line as a
// printer object does.
class Impression {
public:
    Impression(QPagedPaintDevice& support, QPainter& pinceau)
        : m_support(support), m_pinceau(pinceau),
          m_gauche(GaucheTwips * support.logicalDpiX() / TwipsParPouce),
          m_y(HautTwips * support.logicalDpiY() / TwipsParPouce) {}

    // The font of the lines printed next, measured once for them.
    void police(const QFont& police) {
        m_pinceau.setFont(police);
        m_mesures.emplace(police, &m_support);
        m_tabulation = CaracteresParTabulation * largeurMoyenne(*m_mesures);
    }

    // Prints `texte` from the left margin, each CR LF ending a line; the position then goes below.
    void imprimer(const QString& texte) {
        const QFontMetricsF& mesures = *m_mesures;
        for (const QString& ligne : texte.split(QStringLiteral("\r\n"))) {
            // A line starting at a page's top goes there even when it is taller than the page.
            if (m_y > 0 && m_y + mesures.lineSpacing() > m_support.height()) {
                if (!m_support.newPage())
                    throw echec(QStringLiteral("Impossible de commencer une nouvelle page"));
                m_y = 0;
            }
            double x = m_gauche;
            const QStringList morceaux = ligne.split(u'\t');
            for (qsizetype i = 0; i < morceaux.size(); ++i) {
                if (i > 0)
                    x = m_gauche + (std::floor((x - m_gauche) / m_tabulation) + 1) * m_tabulation;
                const QString& morceau = morceaux.at(i);
                if (morceau.isEmpty())
                    continue;
                m_pinceau.drawText(QPointF(x, m_y + mesures.ascent()), morceau);
                x += mesures.horizontalAdvance(morceau);
            }
            m_y += mesures.lineSpacing();
        }
    }

private:
    QPagedPaintDevice& m_support;
    QPainter& m_pinceau;
    const double m_gauche;
    double m_y;
    std::optional<QFontMetricsF> m_mesures;
    double m_tabulation = 0;
};

} // namespace

QString sqlHistorique(const Connexion& c, const QString& badge, QVariantList& valeurs) {
    // Every condition is on a grouped column: WHERE selects what a HAVING would keep, through the index
    // on Utilisateur. Null dates come last and Null references first on both backends, so that the same
    // rows are chosen everywhere.
    const QString colonnes = QString::fromLatin1(Colonnes);
    return QStringLiteral(
               "SELECT LaDate, Utilisateur, TypeMouvement, Reference, RefFournisseur, Designation, "
               "Quantite FROM (SELECT ") +
           colonnes +
           QStringLiteral(" FROM Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente "
                          "WHERE Ventes.TypeMouvement = 3 AND ") +
           Routines::conditionNoBadge(c, QStringLiteral("Ventes.Utilisateur"), badge, valeurs) +
           QStringLiteral(" GROUP BY ") + colonnes +
           QStringLiteral(" ORDER BY Ventes.LaDate DESC NULLS LAST, DetailVente.Reference NULLS FIRST "
                          "LIMIT %1) Historique ORDER BY LaDate DESC, RefFournisseur")
               .arg(NombreMaximum);
}

void LireHistorique(Connexion& c, const QString& badge, Recordset& resultat) {
    QVariantList valeurs;
    const QString sql = sqlHistorique(c, badge, valeurs);
    // The final order is made in memory, the supplier references in French order.
    resultat.Open(c, sql, valeurs);
}

QString LigneEntete(const QStringList& legendes) {
    const QString t(u'\t');
    return legendes.value(0) + t + t + legendes.value(1) + t + legendes.value(4) + t + legendes.value(2) + t +
           legendes.value(3);
}

QString LigneHistorique(const QStringList& cellules) {
    const QString t(u'\t');
    return cellules.value(0) + t + cellules.value(1) + t + t + cellules.value(4) + t + cellules.value(2) + t +
           t + t + cellules.value(3);
}

void ImprimerHistorique(QPagedPaintDevice& support, const QString& nom, const QStringList& lignes,
                        const QString& nomSupport) {
    QPainter pinceau;
    if (!pinceau.begin(&support))
        // The print-outs share the report viewer's message.
        throw echec(MODTranslate::TexteLangue(QStringLiteral("FenCrystalRep"),
                                              QStringLiteral("MsgImpressionImpossible"),
                                              QStringLiteral("Impression impossible sur")) +
                    u' ' + nomSupport);
    Impression impression(support, pinceau);
    QFont police(QStringLiteral("Arial"));
    police.setPointSize(14);
    police.setBold(true);
    impression.police(police);
    impression.imprimer(nom);
    impression.imprimer(QStringLiteral("\r\n"));
    police.setPointSize(10);
    police.setUnderline(true);
    police.setBold(false);
    impression.police(police);
    for (qsizetype i = 0; i < lignes.size(); ++i) {
        impression.imprimer(lignes.at(i));
        if (i == 0) {
            police.setUnderline(false);
            impression.police(police);
        }
    }
    if (!pinceau.end())
        throw echec(QStringLiteral("Impression inachevée sur %1").arg(nomSupport));
}

} // namespace HistoriqueComptoir
