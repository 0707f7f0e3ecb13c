#include "common/forms/TraduireForm.h"

#include "common/EtatGlobal.h"
#include "common/IniFile.h"
#include "common/forms/FormBase.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>

namespace MODTranslate {

namespace {

bool classeQt(const QObject* o) {
    return QByteArray(o->metaObject()->className()).startsWith('Q');
}

void parcourir(QObject* parent, QList<QObject*>& controles) {
    for (QObject* enfant : parent->children()) {
        auto* w = qobject_cast<QWidget*>(enfant);
        auto* a = qobject_cast<QAction*>(enfant);
        if (!w && !a)
            continue;
        if (w && w->isWindow() && !qobject_cast<QMenu*>(w))
            continue; // another window: a dialog owned by the form
        // Qt names the inner parts of its composite widgets "qt_...": they are not the form's controls.
        if (!enfant->objectName().isEmpty() && !enfant->objectName().startsWith(QLatin1String("qt_")))
            controles.append(enfant);
        if (w && (classeQt(w) || w->property("conteneur").toBool()))
            parcourir(w, controles);
    }
}

QHash<QString, FormBase::Grille> grillesDe(QWidget* frm) {
    if (auto* f = qobject_cast<FormBase*>(frm))
        return f->grilles();
    QHash<QString, FormBase::Grille> g;
    for (QAbstractItemView* v : frm->findChildren<QAbstractItemView*>())
        if (!v->objectName().isEmpty() && !g.contains(v->objectName()))
            g.insert(v->objectName(), {v, nullptr});
    return g;
}

void changerEntete(QAbstractItemView* vue, int colonne, const QString& texte) {
    if (auto* table = qobject_cast<QTableWidget*>(vue)) {
        if (colonne >= table->columnCount())
            return;
        QTableWidgetItem* item = table->horizontalHeaderItem(colonne);
        if (!item) {
            item = new QTableWidgetItem;
            table->setHorizontalHeaderItem(colonne, item);
        }
        item->setText(texte);
        return;
    }
    if (QAbstractItemModel* m = vue->model(); m && colonne < m->columnCount())
        m->setHeaderData(colonne, Qt::Horizontal, texte, Qt::DisplayRole);
}

} // namespace

QList<QObject*> ControlesFormulaire(QWidget* frm) {
    QList<QObject*> controles;
    if (frm)
        parcourir(frm, controles);
    return controles;
}

QString LegendeControle(const QObject* controle, bool* aLegende) {
    bool a = true;
    QString texte;
    if (auto* b = qobject_cast<const QAbstractButton*>(controle))
        texte = b->text();
    else if (auto* l = qobject_cast<const QLabel*>(controle))
        texte = l->text();
    else if (auto* g = qobject_cast<const QGroupBox*>(controle))
        texte = g->title();
    else if (auto* m = qobject_cast<const QMenu*>(controle))
        texte = m->title();
    else if (auto* act = qobject_cast<const QAction*>(controle))
        texte = act->text();
    else
        a = false;
    if (aLegende)
        *aLegende = a;
    return texte;
}

void ChangerLegendeControle(QObject* controle, const QString& texte) {
    if (auto* b = qobject_cast<QAbstractButton*>(controle))
        b->setText(texte);
    else if (auto* l = qobject_cast<QLabel*>(controle))
        l->setText(texte);
    else if (auto* g = qobject_cast<QGroupBox*>(controle))
        g->setTitle(texte);
    else if (auto* m = qobject_cast<QMenu*>(controle))
        m->setTitle(texte);
    else if (auto* act = qobject_cast<QAction*>(controle))
        act->setText(texte);
}

void AppliquerTextesGrille(QWidget* frm, const QList<TexteGrille>& textes) {
    if (!frm || textes.isEmpty())
        return;
    const QHash<QString, FormBase::Grille> grilles = grillesDe(frm);
    for (const TexteGrille& t : textes) {
        const auto it = grilles.constFind(t.grille);
        if (it == grilles.constEnd())
            continue; // the form does not show that grid (yet)
        if (t.colonne < 0) {
            if (it->legende)
                ChangerLegendeControle(it->legende, t.texte);
        } else if (it->vue) {
            changerEntete(it->vue, t.colonne, t.texte);
        }
    }
}

void ChargerTextesLangue(QWidget* frm, const QString& fichierLng) {
    const QString nom = frm ? frm->objectName() : QString();
    const QList<TexteGrille> textes = MODTranslate::ChargerTextesLangue(fichierLng, nom);
    if (!frm)
        return;
    AppliquerTextesGrille(frm, textes);
    if (nom == QLatin1String("FrmPrincipal") && Global().LangueCourante != QLatin1String("FR")) {
        // A fixed text, not read from the language file.
        if (auto* b = frm->findChild<QAbstractButton*>(QStringLiteral("CmdImportSalarie"));
            b && b->text() == QStringLiteral("Importation Salariés"))
            b->setText(QStringLiteral("Employe import"));
    }
}

void TraduireForm(QWidget* frm, const QString& fichierLng) {
    if (!frm)
        return;
    ChargerTextesLangue(frm, fichierLng);

    const auto ini =
        fichierLng.isEmpty() ? nullptr : IniFile::enCache(fichierLng, IniFile::codePagePour(fichierLng));
    if (!ini || !ini->valide())
        return;
    const QString section = frm->objectName();
    if (!ini->contientSection(section))
        return;
    auto lire = [&](const QString& cle, const QString& actuel) {
        bool trouve = false;
        const QString v = ini->valeur(section, cle, &trouve);
        return trouve ? v : actuel;
    };

    const QString titre = lire(QStringLiteral("Form.Caption"), frm->windowTitle());
    if (titre != frm->windowTitle())
        frm->setWindowTitle(titre);

    for (QObject* c : ControlesFormulaire(frm)) {
        const QString nom = c->objectName();
        bool aLegende = false;
        const QString legende = LegendeControle(c, &aLegende);
        if (aLegende) {
            const QString nouvelle = lire(nom + QStringLiteral(".Caption"), legende);
            if (nouvelle != legende)
                ChangerLegendeControle(c, nouvelle);
        }
        QString bulle;
        if (auto* w = qobject_cast<QWidget*>(c))
            bulle = w->toolTip();
        else if (auto* a = qobject_cast<QAction*>(c))
            bulle = a->toolTip();
        const QString nouvelleBulle = lire(nom + QStringLiteral(".ToolTipText"), bulle);
        if (nouvelleBulle == bulle)
            continue;
        if (auto* w = qobject_cast<QWidget*>(c))
            w->setToolTip(nouvelleBulle);
        else if (auto* a = qobject_cast<QAction*>(c))
            a->setToolTip(nouvelleBulle);
    }
}

} // namespace MODTranslate
