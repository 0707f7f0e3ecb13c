#include "machines/GrilleCasiers.h"

#include "common/ErreurExecution.h"
#include "common/MajBase.h"
#include "db/Connexion.h"
#include "db/Valeurs.h"
#include "machines/ModeleMachine.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QSqlQuery>
#include <cmath>
#include <limits>

namespace {

// The error of a locker the grid cannot hold, as a subscript out of range.
constexpr qint32 IndiceHorsLimites = 9;
// A printer that fails.
constexpr qint32 ErreurImprimante = 482;

} // namespace

void GrilleCasiers::Tables::vider() {
    for (auto& l : ReferenceCase)
        l.fill(0);
    for (auto& l : CodeArticleCase)
        l.fill(0);
    for (auto& l : DesignationCase)
        l.fill(QString());
    for (auto& l : Dessinee)
        l.fill(false);
}

std::pair<qint64, qint64> GrilleCasiers::Cellule(qint64 n, int G) {
    // Int() rounds down, below zero too.
    const qint64 s = n + G - 1;
    qint64 y = s / G;
    if (s % G != 0 && s < 0)
        --y;
    return {n - (y - 1) * G, y};
}

QString GrilleCasiers::Texte(const Casier& casier, Option option) {
    switch (option) {
    case Option::RefFournisseur:
        return Valeurs::lireTexte(casier.refFournisseur);
    case Option::Reference:
        return casier.referenceArticle.isNull()
                   ? QString()
                   : QString::number(Valeurs::lireEntier(casier.referenceArticle));
    case Option::CodeArticle:
        return casier.codeArticle.isNull() ? QString()
                                           : QString::number(Valeurs::lireEntier(casier.codeArticle));
    }
    return QString();
}

void GrilleCasiers::Lire(Connexion& c, qint32 machine, int type, qint64 nbPorte) {
    if (const std::optional<ModeleMachine::GeometrieCasiers> g =
            ModeleMachine::GeometrieCasiersModele(type)) {
        Facteur = static_cast<qint16>(g->facteur);
        lignes = g->lignes;
        defilement = g->defilement;
    }
    parColonne = type == 10 ? 62 : Facteur == 4 ? 9 : Facteur == 2 ? 18 : 36;
    tables.vider();
    casiers.clear();

    QSqlQuery q = c.executer(
        QStringLiteral(
            "SELECT ConfigMachines.NoMachine, ConfigMachines.Etage, ConfigMachines.ReferenceArticle, "
            "ConfigMachines.CodeArticle, ArticleEnStock.Designation, ArticleEnStock.RefFournisseur "
            "FROM ConfigMachines LEFT OUTER JOIN ArticleEnStock ON ArticleEnStock.Reference = "
            "ConfigMachines.ReferenceArticle WHERE (ConfigMachines.NoMachine = ?)"),
        {machine});
    casiers.reserve(std::max(0, q.size()));
    while (q.next()) {
        const QVariant etage = q.value(1);
        if (etage.isNull())
            continue;
        Casier k;
        k.numero = Valeurs::lireEntier(etage);
        if (k.numero < 1)
            continue;
        const auto [x, y] = Cellule(k.numero, parColonne);
        if (x >= lignes || y > nbPorte || y >= NbColonnes)
            throw ErreurExecution(
                IndiceHorsLimites,
                QStringLiteral("Le casier %1 tombe hors de la grille (ligne %2, colonne %3)")
                    .arg(k.numero)
                    .arg(x)
                    .arg(y),
                QStringLiteral("LireConfigMachineColonne"));
        k.x = static_cast<int>(x);
        k.y = static_cast<int>(y);
        k.referenceArticle = q.value(2);
        k.codeArticle = q.value(3);
        k.designation = q.value(4);
        k.refFournisseur = q.value(5);
        tables.Dessinee[k.x][k.y] = true;
        if (!k.referenceArticle.isNull())
            tables.ReferenceCase[k.x][k.y] = Valeurs::lireEntier(k.referenceArticle);
        if (!k.designation.isNull())
            tables.DesignationCase[k.x][k.y] = Valeurs::lireTexte(k.designation);
        if (!k.codeArticle.isNull())
            tables.CodeArticleCase[k.x][k.y] = Valeurs::lireEntier(k.codeArticle);
        casiers.append(std::move(k));
    }
}

namespace {

// Units held as LireStockMachine counts them: Null 0, beyond 32 bits an overflow.
qint32 unitesTenues(const QVariant& v) {
    if (v.isNull())
        return 0;
    const qint64 n = Valeurs::lireEntier(v);
    if (n > std::numeric_limits<qint32>::max() || n < std::numeric_limits<qint32>::min())
        throw ErreurExecution(ErreurExecution::Overflow, QStringLiteral("Dépassement de capacité"),
                              QStringLiteral("LireStockMachine"));
    return static_cast<qint32>(n);
}

} // namespace

qint32 LireStockMachine(Connexion& c, qint32 machine, double reference, bool quantiteMultiple) {
    if (machine == 0)
        return 0;
    try {
        // References are whole numbers: any other holds nothing.
        if (reference != std::floor(reference) || !std::isfinite(reference))
            return 0;
        const QVariant ref = static_cast<qint64>(reference);
        return unitesTenues(c.valeurUnique(
            quantiteMultiple
                ? QStringLiteral(
                      "SELECT SUM(Qte) FROM EmplacementsMachine1 WHERE NoMachine = ? AND Reference = ?")
                : QStringLiteral(
                      "SELECT COUNT(*) FROM EmplacementsMachine1 WHERE NoMachine = ? AND Reference = ?"),
            {machine, ref}));
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("LireStockMachine"), e);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("LireStockMachine"), e);
    }
    return 0;
}

QHash<qint64, qint32> StockMachineParArticle(Connexion& c, qint32 machine, bool quantiteMultiple) {
    QHash<qint64, qint32> stock;
    QSqlQuery q = c.executer(
        quantiteMultiple ? QStringLiteral("SELECT Reference, SUM(Qte) FROM EmplacementsMachine1 WHERE "
                                          "NoMachine = ? AND Reference IS NOT NULL GROUP BY Reference")
                         : QStringLiteral("SELECT Reference, COUNT(*) FROM EmplacementsMachine1 WHERE "
                                          "NoMachine = ? AND Reference IS NOT NULL GROUP BY Reference"),
        {machine});
    while (q.next())
        stock.insert(Valeurs::lireEntier(q.value(0)), unitesTenues(q.value(1)));
    return stock;
}

bool VerifierMachineVide(Connexion& c, qint32 machine, GrilleCasiers::Table<bool>& occupation) {
    try {
        QSqlQuery q = c.executer(
            QStringLiteral("SELECT Colonne, Etage, Reference FROM EmplacementsMachine1 WHERE NoMachine = ?"),
            {machine});
        bool une = false;
        while (q.next()) {
            une = true;
            if (q.value(0).isNull() || q.value(1).isNull())
                throw ErreurExecution(ErreurExecution::InvalidUseOfNull,
                                      QStringLiteral("Utilisation incorrecte de Null"),
                                      QStringLiteral("VerifierMachineVide"));
            const qint64 col = Valeurs::lireEntier(q.value(0));
            const qint64 etage = Valeurs::lireEntier(q.value(1));
            if (col < 0 || col >= GrilleCasiers::NbLignes || etage < 0 || etage >= GrilleCasiers::NbColonnes)
                throw ErreurExecution(IndiceHorsLimites,
                                      QStringLiteral("L'indice n'appartient pas à la sélection"),
                                      QStringLiteral("VerifierMachineVide"));
            occupation[static_cast<size_t>(col)][static_cast<size_t>(etage)] = !q.value(2).isNull();
        }
        if (!une)
            throw ErreurExecution(3021, QStringLiteral("La machine %1 n'a pas d'emplacement").arg(machine),
                                  QStringLiteral("VerifierMachineVide"));
        return true;
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(QStringLiteral("VerifierMachineVide"), e);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(QStringLiteral("VerifierMachineVide"), e);
    }
    return false;
}

void ImprimerGrilleCasiers(QPaintDevice& device, const QString& titre, const QImage& grille) {
    QPainter p;
    if (!p.begin(&device))
        throw ErreurExecution(ErreurImprimante, QStringLiteral("L'imprimante ne peut pas imprimer"),
                              QStringLiteral("Command5_Click"));
    const double dpiX = device.logicalDpiX(), dpiY = device.logicalDpiY();
    auto enX = [dpiX](double twips) { return twips * dpiX / 1440.0; };
    auto enY = [dpiY](double twips) { return twips * dpiY / 1440.0; };
    // Measured in the font the device starts with, before the title's font is set.
    const double largeur = QFontMetricsF(p.font(), &device).horizontalAdvance(titre);
    QFont police(QStringLiteral("Tahoma"), 14);
    police.setBold(true);
    p.setFont(police);
    const double x = (device.width() - largeur) / 2;
    // The current Y is the top of the text line.
    p.drawText(QPointF(x, enY(200) + QFontMetricsF(police, &device).ascent()), titre);
    const QRectF cible(enX(500), enY(800), enX(grille.width() * 15.0), enY(grille.height() * 15.0));
    p.drawImage(cible, grille);
    if (!p.end())
        throw ErreurExecution(ErreurImprimante, QStringLiteral("L'impression a échoué"),
                              QStringLiteral("Command5_Click"));
}
