#include "common/forms/FormBase.h"

#include "common/ErreurExecution.h"
#include "common/EtatGlobal.h"
#include "common/FnWendrox.h"
#include "common/MajBase.h"
#include "common/ServiceSession.h"
#include "common/forms/TraductionsQt.h"
#include "common/forms/TraduireForm.h"
#include "db/Connexion.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QChildEvent>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>

namespace {
bool s_sablier = false;
}

namespace {

// The window that had the focus before the current one (nullptr: another application had it).
struct SuiviFocus {
    QPointer<QWindow> courante;
    QPointer<QWindow> precedente;
};

SuiviFocus& suiviFocus() {
    static SuiviFocus suivi;
    static const bool branche = [] {
        QObject::connect(qApp, &QGuiApplication::focusWindowChanged, qApp, [](QWindow* w) {
            if (w != suivi.courante) {
                suivi.precedente = suivi.courante;
                suivi.courante = w;
            }
        });
        return true;
    }();
    Q_UNUSED(branche);
    return suivi;
}

bool sansCadre(const QWidget* w) {
    return w->windowFlags() & Qt::FramelessWindowHint;
}

// The frame as the window system knows it; null until the window manager has framed the window. While it
// frames it, the frame may be told smaller than the window (negative margins: openbox's frame is one
// pixel square until it is laid out): not known yet either.
QMargins cadreConnu(const QWidget* w) {
    const QWindow* fenetre = w->windowHandle();
    const QMargins m = fenetre ? fenetre->frameMargins() : QMargins();
    if (m.left() < 0 || m.top() < 0 || m.right() < 0 || m.bottom() < 0)
        return {};
    return m;
}

// The window's frame (title bar, borders). Before the window manager has framed a window the platform
// may not know it yet: a common title bar and border then.
QMargins margesCadre(const QWidget* w) {
    QMargins m = cadreConnu(w);
    if (m.isNull() && !sansCadre(w))
        m = QMargins(4, 30, 4, 4);
    return m;
}

// Platforms that frame no window (tests, screenshots).
bool plateformeSansCadres() {
    const QString p = QGuiApplication::platformName();
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}

} // namespace

FormBase::FormBase(const QString& nomForm, QWidget* parent, Qt::WindowFlags drapeaux)
    : QWidget(parent, drapeaux) {
    setObjectName(nomForm);
    setAttribute(Qt::WA_DeleteOnClose, false);
    surveiller(this);
    suiviFocus();
}

FormBase::~FormBase() = default;

template <class Fn> void FormBase::appeler(const char* evenement, Fn&& fn) {
    // Exceptions must not cross Qt's event delivery.
    try {
        fn();
    } catch (const ErreurExecution& e) {
        MajBase::SignalerErreur(objectName() + QLatin1Char('.') + QLatin1String(evenement), e);
    } catch (const std::exception& e) {
        MajBase::SignalerErreur(objectName() + QLatin1Char('.') + QLatin1String(evenement), e);
    }
}

// --- life cycle ---

void FormBase::Load() {
    if (m_charge)
        return;
    if (!m_dejaCharge) {
        memoriserTextes();
        m_dejaCharge = true;
    } else {
        restaurerTextes();
    }
    m_charge = true;
    SuivreLangueCourante();
    appeler("Form_Load", [this] { Form_Load(); });
}

void FormBase::Show() {
    Load();
    if (!m_charge || Global().FinDemandee)
        return;
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) // it cannot raise and says so
        raise();
    activateWindow();
}

void FormBase::ShowModal(QWidget* proprietaire) {
    Load();
    if (!m_charge || Global().FinDemandee)
        return;
    m_proprietaire = proprietaire;
    if (proprietaire && proprietaire->window() != this) {
        winId(); // the native window must exist to carry its owner
        if (QWindow* w = windowHandle(); w && proprietaire->window()->windowHandle())
            w->setTransientParent(proprietaire->window()->windowHandle());
    }
    Session().montrerModal(this);
}

bool FormBase::decharger() {
    if (!m_charge)
        return true;
    bool annuler = false;
    appeler("Form_Unload", [this, &annuler] { Form_Unload(annuler); });
    if (annuler)
        return false;
    appeler("Form_Unload", [this] { fermerConnexion(); });
    for (const auto& nettoyage : std::as_const(m_nettoyages))
        appeler("Form_Unload", [&nettoyage] { nettoyage(); });
    m_charge = false;
    return true;
}

bool FormBase::Unload() {
    if (!decharger())
        return false;
    m_dansDechargement = true;
    hide();
    m_dansDechargement = false;
    return true;
}

void FormBase::closeEvent(QCloseEvent* e) {
    if (m_masquerALaFermeture || m_dansDechargement) {
        e->accept();
        return;
    }
    if (decharger())
        e->accept();
    else
        e->ignore();
}

void FormBase::showEvent(QShowEvent* e) {
    // A plain show() of an unloaded form loads it first, as showing a form does.
    if (!m_charge)
        Load();
    if (!e->spontaneous()) {
        m_activationAttendue = true;
        // Before the window appears: the screen sees it once, at its fitted size and place.
        if (isWindow()) {
            const bool cadreInconnu =
                cadreConnu(this).isNull() && !sansCadre(this) && !plateformeSansCadres();
            ajusterALEcran(true);
            if (cadreInconnu)
                attendreLeCadre();
        }
    }
    QWidget::showEvent(e);
}

// --- the screen ---

void FormBase::attendreLeCadre() {
    // The frame's extents come from the window manager after the window is mapped; Qt tells no event
    // for them, so ask a few times.
    if (!m_attenteCadre) {
        m_attenteCadre = new QTimer(this);
        m_attenteCadre->setInterval(25);
        connect(m_attenteCadre, &QTimer::timeout, this, [this] { placerDansLeCadre(); });
    }
    m_essaisCadre = 0;
    m_attenteCadre->start();
}

void FormBase::placerDansLeCadre() {
    // A window manager that frames nothing leaves the guess in place after two seconds.
    const bool connu = !cadreConnu(this).isNull();
    if (!connu && isVisible() && ++m_essaisCadre < 80)
        return;
    m_attenteCadre->stop();
    if (connu && isVisible())
        appeler("Form_Resize", [this] { ajusterALEcran(true); });
}

QScreen* FormBase::ecranDeLaFenetre() const {
    // Where the form placed itself, else where the window system puts it.
    if (testAttribute(Qt::WA_Moved))
        if (QScreen* ecran = QGuiApplication::screenAt(frameGeometry().center()))
            return ecran;
    return screen();
}

QSize FormBase::placeSurLEcran() const {
    const QScreen* ecran = ecranDeLaFenetre();
    if (!ecran)
        return {};
    const QRect zone = ecran->availableGeometry();
    const QMargins cadre = margesCadre(this);
    return {std::max(1, zone.width() - cadre.left() - cadre.right()),
            std::max(1, zone.height() - cadre.top() - cadre.bottom())};
}

void FormBase::ajusterALEcran(bool affichage) {
    if (!isWindow() || windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    const QScreen* ecran = ecranDeLaFenetre();
    if (!ecran)
        return;
    const QRect zone = ecran->availableGeometry();
    const QMargins cadre = margesCadre(this);
    const QSize place = placeSurLEcran();
    // The least size the controls ask for now (new captions may have changed it).
    if (QLayout* l = layout())
        l->activate();
    // Shown already: only a form grown past the area (longer captions) is fitted again.
    if (!affichage && width() <= place.width() && height() <= place.height())
        return;

    // The size the form gave itself: the one before the last fit, unless the form changed it since.
    QSize voulue = size();
    if (m_tailleAjustee.isValid() && (voulue == m_tailleAjustee || !affichage))
        voulue = m_tailleVoulue;
    const QSize disposition = layout() ? layout()->totalMinimumSize() : QSize(0, 0);
    const QSize minimum = minimumSize().expandedTo(disposition);
    if (minimum.width() > place.width() || minimum.height() > place.height()) {
        // The contents keep a least size set by the form (a fixed size, a menu's); the layout's own
        // follows the captions.
        defilerLeContenu(QSize(minimumSize().width() > disposition.width() ? minimumSize().width() : 0,
                               minimumSize().height() > disposition.height() ? minimumSize().height() : 0));
    }

    QSize taille = voulue.boundedTo(place).expandedTo(minimumSize()).boundedTo(maximumSize());
    if (m_contenu) {
        // Contents scrolling one way: the other way takes the scroll bar too, room allowing, so that it
        // does not scroll as well.
        const QSize contenu = m_contenu->minimumSize().expandedTo(m_contenu->minimumSizeHint());
        const int barre = m_defilement->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        if (contenu.width() > taille.width() && contenu.height() <= taille.height())
            taille.setHeight(std::max(taille.height(),
                                      std::min({contenu.height() + barre, place.height(), maximumHeight()})));
        if (contenu.height() > taille.height() && contenu.width() <= taille.width())
            taille.setWidth(
                std::max(taille.width(), std::min({contenu.width() + barre, place.width(), maximumWidth()})));
    }
    if (taille != size())
        resize(taille);
    m_tailleVoulue = voulue;
    m_tailleAjustee = taille != voulue ? taille : QSize();

    // Frame included, inside the area: centred when the form had to shrink, else moved in if it
    // lies partly outside.
    const QSize exterieur = taille.grownBy(cadre);
    // Once framed, the frame's corner from the client area and the frame the window system tells now:
    // the widget's own idea of its frame is only brought up to date by its next move.
    const QMargins connu = plateformeSansCadres() ? QMargins() : cadreConnu(this);
    const QPoint avant = connu.isNull() ? pos() : geometry().topLeft() - QPoint(connu.left(), connu.top());
    QPoint coin = avant;
    if (taille != voulue) {
        coin = zone.topLeft() +
               QPoint((zone.width() - exterieur.width()) / 2, (zone.height() - exterieur.height()) / 2);
    } else if (affichage && testAttribute(Qt::WA_Moved) && !zone.contains(QRect(coin, exterieur))) {
        coin.setX(
            std::clamp(coin.x(), zone.left(), std::max(zone.left(), zone.right() + 1 - exterieur.width())));
        coin.setY(
            std::clamp(coin.y(), zone.top(), std::max(zone.top(), zone.bottom() + 1 - exterieur.height())));
    }
    if (coin == avant)
        return;
    if (connu.isNull()) {
        move(coin);
        return;
    }
    // Framed. Before the window is mapped, the window manager reads where to put it at the mapping: the
    // client area's corner is asked. Once it manages the window, see demandePosition.
    const QPoint client = geometry().topLeft();
    const DemandePosition demande = windowHandle()->isVisible()
                                        ? demandePosition(coin, connu, client)
                                        : DemandePosition{coin + QPoint(connu.left(), connu.top()), false};
    if (demande.duCadre) {
        windowHandle()->setFramePosition(demande.position);
    } else {
        // QWidget::move adds the widget's own idea of its frame to what it is given, whatever that is:
        // the client area moves by the offset between the corner asked and its present one.
        move(pos() + (demande.position - client));
    }
}

FormBase::DemandePosition FormBase::demandePosition(const QPoint& coin, const QMargins& cadre,
                                                    const QPoint& client) {
    const QPoint decalage(cadre.left(), cadre.top());
    const QPoint clientVoulu = coin + decalage;
    if (clientVoulu != client - decalage)
        return {clientVoulu, false};
    return {coin, true};
}

void FormBase::defilerLeContenu(const QSize& minimum) {
    if (!m_defilement) {
        const QList<QWidget*> enfants = findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        auto* contenu = new QWidget;
        auto* defilement = new QScrollArea(this);
        defilement->setFrameShape(QFrame::NoFrame);
        defilement->setWidgetResizable(true);
        // As on the full-size form: a click on what takes no focus (a label, a bare arrow button, empty
        // space) leaves the focus where it was, and the box that has it runs no leave-focus handler. The
        // scroll area follows the focus instead (eventFilter), and only the contents' own surface
        // scrolls them by the wheel.
        defilement->setFocusPolicy(Qt::NoFocus);
        defilement->viewport()->installEventFilter(this);
        if (QLayout* l = layout()) {
            // The layout moves with the controls it holds.
            contenu->setLayout(l);
        } else {
            // Controls placed by hand keep their places.
            contenu->resize(size());
            for (QWidget* w : enfants) {
                if (w->isWindow())
                    continue;
                const bool cache = w->isHidden();
                const QRect g = w->geometry();
                w->setParent(contenu);
                w->setGeometry(g);
                w->setVisible(!cache);
            }
        }
        defilement->setWidget(contenu);
        auto* cadre = new QVBoxLayout(this);
        cadre->setContentsMargins(0, 0, 0, 0);
        cadre->addWidget(defilement);
        // At once, not at the next pass of the event loop as a layout shows what it is given: the form's
        // controls are visible when its show returns, as on the full-size form.
        defilement->show();
        // Panels the form places over its controls by hand stay over them.
        for (QWidget* w : enfants)
            if (w->parentWidget() == this && !w->isWindow() && w->isVisibleTo(this))
                w->raise();
        m_defilement = defilement;
        m_contenu = contenu;
    }
    // The window may be smaller than the contents, which scroll, and may take their scroll bars.
    m_contenu->setMinimumSize(minimum.expandedTo(m_contenu->minimumSize()));
    setMinimumSize(0, 0);
    if (maximumSize() != m_maximumDefilement) {
        const int barre = m_defilement->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        setMaximumSize(std::min(maximumWidth() + barre, QWIDGETSIZE_MAX),
                       std::min(maximumHeight() + barre, QWIDGETSIZE_MAX));
        m_maximumDefilement = maximumSize();
    }
}

void FormBase::suivreLeFocus(QObject* objet, Qt::FocusReason raison) {
    // A click shows what was clicked already; coming back to the window keeps the contents where they
    // were. Tab, Enter and the program's own moves bring the control into view.
    if (raison == Qt::MouseFocusReason || raison == Qt::ActiveWindowFocusReason ||
        raison == Qt::PopupFocusReason || raison == Qt::MenuBarFocusReason)
        return;
    auto* w = qobject_cast<QWidget*>(objet);
    if (w && m_contenu && m_contenu->isAncestorOf(w))
        m_defilement->ensureWidgetVisible(w);
}

bool FormBase::surfaceDuContenu(const QPoint& position) const {
    if (!m_contenu)
        return false;
    QWidget* w = m_contenu->childAt(m_contenu->mapFrom(m_defilement->viewport(), position));
    for (; w && w != m_contenu; w = w->parentWidget())
        if (qobject_cast<QAbstractScrollArea*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
            qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSlider*>(w))
            return false;
    return true;
}

void FormBase::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    appeler("Form_Resize", [this] { Form_Resize(); });
}

Connexion& FormBase::connexion() {
    if (!m_connexion) {
        auto c = std::make_unique<Connexion>();
        c->ouvrirPrincipale();
        m_connexion = std::move(c);
    }
    return *m_connexion;
}

void FormBase::fermerConnexion() {
    m_connexion.reset();
}

void FormBase::setBoutonAnnuler(QAbstractButton* bouton) {
    m_boutonAnnuler = bouton;
}

void FormBase::declarerPanneau(QWidget* panneau, QAbstractButton* ok, QAbstractButton* annuler) {
    m_panneaux.append({panneau, ok, annuler});
}

QPushButton* FormBase::creerBouton(const QString& nom, const QString& legende, QWidget* parent) {
    auto* b = new QPushButton(legende, parent ? parent : this);
    b->setObjectName(nom);
    // Enter stays with the box that has the focus: the forms store or search on it.
    b->setAutoDefault(false);
    return b;
}

void FormBase::ajouterNettoyage(std::function<void()> nettoyage) {
    m_nettoyages.append(std::move(nettoyage));
}

// --- captions kept from construction, put back at each reload ---

void FormBase::memoriserTextes() {
    m_textesInitiaux.clear();
    m_entetesInitiaux.clear();
    m_textesInitiaux.append({this, "windowTitle", windowTitle()});
    for (QObject* c : MODTranslate::ControlesFormulaire(this)) {
        bool aLegende = false;
        MODTranslate::LegendeControle(c, &aLegende);
        if (aLegende) {
            const char* prop = qobject_cast<QGroupBox*>(c) || qobject_cast<QMenu*>(c) ? "title" : "text";
            m_textesInitiaux.append({c, prop, c->property(prop)});
        }
        m_textesInitiaux.append({c, "toolTip", c->property("toolTip")});
        if (auto* vue = qobject_cast<QAbstractItemView*>(c); vue && vue->model()) {
            // Column headers are captions too (grid captions from the language files).
            QAbstractItemModel* m = vue->model();
            for (int i = 0; i < m->columnCount(); ++i)
                m_entetesInitiaux.append({m, i, m->headerData(i, Qt::Horizontal, Qt::DisplayRole)});
        }
    }
    // Grid captions may sit on unnamed widgets.
    for (const QPointer<QWidget>& l : std::as_const(m_legendes))
        if (l && l->objectName().isEmpty()) {
            const char* prop = qobject_cast<QGroupBox*>(l) ? "title" : "text";
            m_textesInitiaux.append({l.data(), prop, l->property(prop)});
        }
}

void FormBase::restaurerTextes() {
    for (const TexteInitial& t : std::as_const(m_textesInitiaux))
        if (t.objet && t.objet->property(t.propriete.constData()) != t.valeur)
            t.objet->setProperty(t.propriete.constData(), t.valeur);
    for (const EnteteInitial& t : std::as_const(m_entetesInitiaux))
        if (t.modele && t.colonne < t.modele->columnCount() &&
            t.modele->headerData(t.colonne, Qt::Horizontal, Qt::DisplayRole) != t.valeur)
            t.modele->setHeaderData(t.colonne, Qt::Horizontal, t.valeur, Qt::DisplayRole);
}

// --- activation, key preview ---

bool FormBase::activationDUneForme() {
    if (m_activationAttendue) {
        m_activationAttendue = false;
        return true;
    }
    // Back from a message box, a file dialog or another application: no activation of the form. The
    // focus change may come before or after the activation.
    const SuiviFocus& suivi = suiviFocus();
    QWindow* avant = suivi.courante == windowHandle() ? suivi.precedente.data() : suivi.courante.data();
    if (!avant)
        return false;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->windowHandle() == avant)
            return qobject_cast<FormBase*>(w) != nullptr;
    return false;
}

bool FormBase::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        const bool r = QWidget::event(e);
        if (!activationDUneForme())
            return r;
        appeler("Form_Activate", [this] {
            SuivreLangueCourante();
            Form_Activate();
            if (m_traductionActivation)
                traduireSiEtranger();
            ajusterALEcran(false);
        });
        return r;
    }
    return QWidget::event(e);
}

void FormBase::surveiller(QObject* objet) {
    objet->installEventFilter(this);
    for (QObject* enfant : objet->children())
        if (enfant->isWidgetType())
            surveiller(enfant);
}

bool FormBase::appartientAuFormulaire(QObject* objet) const {
    auto* w = qobject_cast<QWidget*>(objet);
    return w && w->window() == this;
}

bool FormBase::eventFilter(QObject* objet, QEvent* e) {
    switch (e->type()) {
    case QEvent::ChildAdded: {
        // Controls added later are previewed too.
        QObject* enfant = static_cast<QChildEvent*>(e)->child();
        if (enfant && enfant->isWidgetType())
            surveiller(enfant);
        break;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (appartientAuFormulaire(objet) && traiterTouche(objet, static_cast<QKeyEvent*>(e)))
            return true;
        // A key the control left (arrows, page keys) goes on to the form, as on the full-size form,
        // without scrolling it: the scroll area follows the focus.
        if (objet == m_defilement) {
            e->ignore();
            return true;
        }
        break;
    case QEvent::Resize:
        // Scrolled contents: the form's controls now lie in them.
        if (objet == m_contenu)
            appeler("Form_Resize", [this] { Form_Resize(); });
        break;
    case QEvent::FocusIn:
        if (m_defilement)
            suivreLeFocus(objet, static_cast<QFocusEvent*>(e)->reason());
        break;
    case QEvent::Wheel:
        // A wheel turn a control under the mouse left unused (a grid at its end, a combo, a disabled
        // control) does not scroll the form either.
        if (m_defilement && objet == m_defilement->viewport() &&
            !surfaceDuContenu(static_cast<QWheelEvent*>(e)->position().toPoint())) {
            e->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(objet, e);
}

bool FormBase::traiterTouche(QObject* objet, QKeyEvent* e) {
    // The character a form typed instead of the one pressed was previewed already.
    if (m_dansRemplacement)
        return false;
    // A key the control ignores goes on to its parents with the same event object: preview it once.
    // Key events are built on the stack: a later key can have the same address, not the same time.
    if (e == m_dernierEvenement && e->type() == m_dernierType && e->key() == m_derniereTouche &&
        e->timestamp() == m_dernierHorodatage && m_derniereCible && objet != m_derniereCible) {
        for (QObject* p = m_derniereCible->parent(); p; p = p->parent())
            if (p == objet)
                return false;
    }
    m_dernierEvenement = e;
    m_dernierType = e->type();
    m_derniereTouche = e->key();
    m_dernierHorodatage = e->timestamp();
    m_derniereCible = objet;

    const bool f12 = e->key() == Qt::Key_F12;
    if (e->type() == QEvent::KeyPress) {
        appeler("Form_KeyDown", [this, e] { Form_KeyDown(e); });
        if (traiterEchapEntree(objet, e))
            return true;
        if (!f12 && traiterCaractere(objet, e))
            return true;
    } else {
        appeler("Form_KeyUp", [this, e, f12] {
            if (f12 && m_toucheF12 && !e->isAutoRepeat())
                basculerLangue();
            Form_KeyUp(e);
            if (f12 && isVisible())
                ajusterALEcran(false);
        });
    }
    if (!f12)
        return false;
    m_dernierEvenement = nullptr;
    e->accept();
    return true;
}

bool FormBase::traiterEchapEntree(QObject* objet, QKeyEvent* e) {
    const bool echap = e->key() == Qt::Key_Escape;
    const bool entree = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if ((!echap && !entree) || e->isAutoRepeat() || (e->modifiers() & ~Qt::KeypadModifier))
        return false;
    // A cell's editor (a control inside a grid) takes its own Esc and Enter.
    for (QObject* o = objet->parent(); o && o != this; o = o->parent())
        if (qobject_cast<QAbstractItemView*>(o))
            return false;
    bool utilisee = false;
    if (echap)
        appeler("toucheEchap", [&] { utilisee = toucheEchap(objet); });
    else
        appeler("toucheEntree", [&] { utilisee = toucheEntree(objet); });
    if (!utilisee)
        return false;
    m_dernierEvenement = nullptr;
    e->accept();
    return true;
}

const FormBase::Panneau* FormBase::panneauOuvert() const {
    const QWidget* focus = QApplication::focusWidget();
    const Panneau* ouvert = nullptr;
    for (const Panneau& p : m_panneaux) {
        if (!p.panneau || !p.panneau->isVisible())
            continue;
        if (focus && (focus == p.panneau || p.panneau->isAncestorOf(focus)))
            return &p;
        if (!ouvert)
            ouvert = &p;
    }
    return ouvert;
}

bool FormBase::toucheEchap(QObject* controle) {
    Q_UNUSED(controle);
    if (const Panneau* p = panneauOuvert()) {
        if (!p->annuler)
            p->panneau->hide();
        else if (p->annuler->isEnabled())
            p->annuler->click();
        return true;
    }
    if (m_boutonAnnuler && m_boutonAnnuler->isVisible() && m_boutonAnnuler->isEnabled()) {
        m_boutonAnnuler->click();
        return true;
    }
    return false;
}

bool FormBase::toucheEntree(QObject* controle) {
    const Panneau* p = panneauOuvert();
    auto* w = qobject_cast<QWidget*>(controle);
    if (!p || !w || (w != p->panneau && !p->panneau->isAncestorOf(w)))
        return false;
    // As in a dialog: a push button that has the focus is pressed, else the panel's OK.
    QAbstractButton* bouton = qobject_cast<QPushButton*>(w);
    if (!bouton)
        bouton = p->ok;
    if (bouton && bouton->isEnabled())
        bouton->click();
    return bouton != nullptr;
}

bool FormBase::traiterCaractere(QObject* objet, QKeyEvent* e) {
    const QString texte = e->text();
    if (texte.size() != 1)
        return false;
    const int initial = texte.at(0).unicode();
    int code = initial;
    appeler("Form_KeyPress", [this, objet, &code] { Form_KeyPress(objet, code); });
    if (code == initial)
        return false;
    if (code > 0 && code <= 0xFFFF) {
        // Another character instead (an upper-case letter): the control gets that one.
        QKeyEvent autre(QEvent::KeyPress, e->key(), e->modifiers(), QString(QChar(code)), e->isAutoRepeat(),
                        e->count());
        m_dansRemplacement = true;
        QCoreApplication::sendEvent(objet, &autre);
        m_dansRemplacement = false;
    }
    m_dernierEvenement = nullptr;
    e->accept();
    return true;
}

// --- translation ---

void FormBase::traduireSiEtranger() {
    const EtatGlobal& g = Global();
    if (g.LangueCourante != QLatin1String("FR"))
        MODTranslate::TraduireForm(this, g.FichierLangue);
}

void FormBase::basculerLangue() {
    EtatGlobal& g = Global();
    if (g.LangueCourante != QLatin1String("FR")) {
        g.LangueCourante = QStringLiteral("FR");
        SuivreLangueCourante();
        MODTranslate::TraduireForm(this, FnWendrox::CheminApplication() +
                                             MODTranslate::NomFichierLangue(QStringLiteral("FR")));
    } else {
        QString langue = FnWendrox::LireIniString(g.CheminIni, QStringLiteral("Machine"),
                                                  QStringLiteral("Langue"), QStringLiteral("FR"));
        // An empty value means French, as at start.
        if (langue.isEmpty())
            langue = QStringLiteral("FR");
        g.LangueCourante = langue;
        SuivreLangueCourante();
        MODTranslate::TraduireForm(this, g.FichierLangue);
    }
}

QHash<QString, FormBase::Grille> FormBase::grilles() const {
    QHash<QString, Grille> g;
    for (QAbstractItemView* v : findChildren<QAbstractItemView*>()) {
        const QString nom = v->objectName();
        if (nom.isEmpty() || g.contains(nom) || v->window() != this)
            continue;
        g.insert(nom, {v, m_legendes.value(nom)});
    }
    return g;
}

void FormBase::declarerLegendeGrille(const QString& grille, QWidget* legende) {
    m_legendes.insert(grille, legende);
}

// --- hourglass ---

void FormBase::Sablier(bool actif) {
    if (actif == s_sablier || !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (actif)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
    s_sablier = actif;
}

bool FormBase::SablierActif() {
    return s_sablier;
}
