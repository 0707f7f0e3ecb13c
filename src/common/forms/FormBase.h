#pragma once

#include <QEvent>
#include <QHash>
#include <QList>
#include <QMargins>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>

class Connexion;
class QAbstractButton;
class QPushButton;
class QAbstractItemView;
class QKeyEvent;
class QAbstractItemModel;
class QScreen;
class QScrollArea;
class QTimer;

// The base of every window of the program. It gives each form the life cycle of the original forms:
//
//   Load()       loads the form when it is not loaded: the captions and grid headers are put back to
//                their wording at construction (a reloaded form starts afresh, as a new instance would),
//                then Form_Load() runs. Construction never runs Form_Load: build the controls in the
//                constructor, fill them in Form_Load.
//   Show()       Load(), then shows the form modeless, in front and active (nothing is shown when
//                Form_Load unloaded the form or ended the program).
//   ShowModal()  Load(), then shows it modal through Session().montrerModal (tests redirect it); returns
//                when the form is unloaded or hidden. `proprietaire` (optional) is the owner window.
//   Unload()     runs Form_Unload(annuler); when not cancelled: closes the form's connection, the cleanup
//                callbacks (ajouterNettoyage), the form is marked unloaded and hidden. The C++ object
//                stays, so public variables remain readable. Returns false when cancelled.
//   Hide()       hides without unloading.
//
// Closing the window (title bar, Alt+F4, close()) means Unload(), unless setMasqueALaFermeture(true)
// was called: the form then only hides. Showing the widget with plain show() loads it first too.
//
// Events, as virtual methods to override (all optional):
//   Form_Load, Form_Unload(bool& annuler), Form_Activate (the first QEvent::WindowActivate after a
//   show, then each one that comes from another of the program's forms: not back from a message box, a
//   file dialog or another application), Form_Resize
//   (resizeEvent), Form_KeyDown / Form_KeyUp (key preview: every key press and release of the form and
//   of all its children, also children added later, reaches them once, before the control; only F12 is
//   consumed, every other key then goes on to the control as usual), Form_KeyPress (every typed
//   character, after Form_KeyDown and before the control: setting the code to 0 cancels it, another
//   code types that character instead).
//
// Database: connexion() is the form's own connection to the main database, opened on first use from
// the state and closed by the unload after Form_Unload (a reload opens a new one). Forms never open or
// close it themselves.
// An ErreurExecution or std::exception escaping one of them is logged with MajBase::SignalerErreur
// under "<form name>.<event>" and does not cross the event loop.
//
// Translation: the form's objectName is its name in the language files (the constructor sets it).
//   - setTraductionActivation(true) (the default): on each activation, after Form_Activate, the form is
//     translated from FichierLangue when LangueCourante is not "FR". Forms translated only by F12, or
//     which translate in their own Form_Load, turn it off and call traduireSiEtranger() themselves.
//   - setToucheF12(true) (the default): releasing F12 switches the language (basculerLangue()): from a
//     foreign language to "FR" (translated with "french.lng" of the program folder), or from "FR" back
//     to the configured [Machine] "Langue" (translated with FichierLangue).
//     Form_KeyUp still sees F12 afterwards. A form with its own use of F12 turns this off.
//   - Qt's own buttons and dialogs follow LangueCourante: the matching Qt translation is installed when
//     a form loads or is activated and the language has changed (SuivreLangueCourante).
//   - Grids translated from section Grid: by default every QAbstractItemView child whose objectName
//     is a grid name of the key table ("DBGrid2"); a grid's caption goes to the widget given by
//     declarerLegendeGrille (a QLabel or QGroupBox). Override grilles() to hand over others.
//
// Hourglass: Sablier(true) sets the one override cursor of the program, Sablier(false) clears it; calls
// do not stack.
//
// Screen: a window is never shown larger than the available area of its screen (the task bar left
// out), frame included. A form larger than that area is shrunk to it and centred in it; one that fits
// but lies partly outside is moved inside; a form grown past the area after an activation or the F12
// switch (longer captions) is fitted again. Before the window manager has framed a window its frame is
// a guess: a first show fits the window again once the real frame is known. When the form's least size
// (its layout's, or a fixed size) is larger than the area, its contents go into a scroll area first: the
// window takes the area and the contents scroll. The size a form gave itself comes back at its next show
// when the screen allows it. Form_Resize also runs when the scrolled contents change size: a form placing
// controls by hand places them in their parent's size. The scrolled form behaves as the full-size one: the
// scroll area takes no focus (a click on a label or a bare arrow button leaves the focus where it was), a
// control reached by Tab, Enter or the program is scrolled into view, keys the controls leave do not
// scroll, and the wheel scrolls the contents only over their own surface, not over a grid or a combo.
//
// Esc and Enter go to toucheEchap() and toucheEntree() first (not while a grid's cell is being edited):
//   - an open panel of the form (declarerPanneau: a frame over the form with its own OK and cancel)
//     takes Esc as its cancel button (or, without one, Esc hides it), and Enter, while the focus is in
//     the panel, as its OK button (a push button of the panel that has the focus is pressed instead);
//   - otherwise Esc presses the form's cancel or close button (setBoutonAnnuler) when it can be
//     pressed, so that the form's own refusal to close still holds.
// A form with other needs (a window with no close button of its own) overrides them.
class FormBase : public QWidget {
    Q_OBJECT
public:
    // `nomForm` becomes the objectName (the form's section in the language files). Forms are windows:
    // `drapeaux` defaults to Qt::Window (Qt::Dialog for dialogs).
    explicit FormBase(const QString& nomForm, QWidget* parent = nullptr,
                      Qt::WindowFlags drapeaux = Qt::Window);
    ~FormBase() override;

    // --- life cycle ---
    void Load();
    void Show();
    void ShowModal(QWidget* proprietaire = nullptr);
    bool Unload();
    void Hide() { hide(); }
    bool estCharge() const { return m_charge; }
    // The owner given to the last ShowModal (nullptr when none, or when it is gone): a form that hands
    // over to another shows that one over the same owner.
    QWidget* proprietaireModal() const { return m_proprietaire.data(); }

    void setMasqueALaFermeture(bool masquer) { m_masquerALaFermeture = masquer; }
    bool masqueALaFermeture() const { return m_masquerALaFermeture; }

    // --- translation ---
    void setTraductionActivation(bool oui) { m_traductionActivation = oui; }
    bool traductionActivation() const { return m_traductionActivation; }
    void setToucheF12(bool oui) { m_toucheF12 = oui; }
    // The button Esc presses (the dialog's cancel or close button); none by default.
    void setBoutonAnnuler(QAbstractButton* bouton);
    // A panel of the form with its OK button (Enter) and cancel button (Esc); `annuler` may be null: Esc
    // then hides the panel.
    void declarerPanneau(QWidget* panneau, QAbstractButton* ok, QAbstractButton* annuler);
    // A push button of the form (or of `parent`), named as the language files and the tests find it; it
    // never takes Enter for itself (no auto-default).
    QPushButton* creerBouton(const QString& nom, const QString& legende, QWidget* parent = nullptr);
    bool toucheF12() const { return m_toucheF12; }
    // TraduireForm(this, FichierLangue) when LangueCourante is not "FR".
    void traduireSiEtranger();
    // The F12 switch (see above).
    void basculerLangue();

    struct Grille {
        QAbstractItemView* vue = nullptr;
        QWidget* legende = nullptr; // shows the grid's caption; may be null
    };
    // The form's grids by name, for the grid captions of the language files.
    virtual QHash<QString, Grille> grilles() const;
    void declarerLegendeGrille(const QString& grille, QWidget* legende);

    // --- the form's connection ---
    // Opened on first use; throws ErreurExecution (BaseInaccessible) when the database cannot be opened.
    Connexion& connexion();
    // The connection when it is open, else nullptr (never opens it).
    Connexion* connexionOuverte() const { return m_connexion.get(); }

    // --- cleanup at unload (besides the connection) ---
    void ajouterNettoyage(std::function<void()> nettoyage);

    // --- hourglass ---
    static void Sablier(bool actif);
    static bool SablierActif();

    // --- placing a framed window ---
    // What the window system is asked so that the frame's corner of a window it has framed goes to `coin`,
    // `cadre` being the frame and `client` the client area's corner now. The window manager keeps the
    // point it last placed the window by, read under the gravity of that time: the client area's corner
    // (a request of the client's position) or the frame's (a request of the frame's). A request whose
    // numbers equal that point moves nothing, whatever the gravity says now (openbox): the client area's
    // corner is asked, unless that is where the frame's corner is now; then the frame's corner is.
    struct DemandePosition {
        QPoint position;
        bool duCadre = false; // `position` is the frame's corner, else the client area's
    };
    static DemandePosition demandePosition(const QPoint& coin, const QMargins& cadre, const QPoint& client);

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload(bool& annuler) { Q_UNUSED(annuler); }
    virtual void Form_Activate() {}
    virtual void Form_Resize() {}
    virtual void Form_KeyDown(QKeyEvent* e) { Q_UNUSED(e); }
    virtual void Form_KeyUp(QKeyEvent* e) { Q_UNUSED(e); }
    // `controle` is the control the character goes to; `KeyAscii` its character code (Enter 13,
    // Backspace 8, Esc 27 included).
    virtual void Form_KeyPress(QObject* controle, int& KeyAscii) {
        Q_UNUSED(controle);
        Q_UNUSED(KeyAscii);
    }
    // Esc and Enter pressed in the form (`controle` has the focus); true when the key was used, and
    // then no control gets it. See above for what they do by default.
    virtual bool toucheEchap(QObject* controle);
    virtual bool toucheEntree(QObject* controle);
    // Closes the form's connection (the unload does it after Form_Unload).
    void fermerConnexion();
    // The size the window may take on its screen: the available area less the frame (see Screen above).
    QSize placeSurLEcran() const;

    bool event(QEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Panneau {
        QPointer<QWidget> panneau;
        QPointer<QAbstractButton> ok;
        QPointer<QAbstractButton> annuler;
    };
    struct TexteInitial {
        QPointer<QObject> objet;
        QByteArray propriete;
        QVariant valeur;
    };
    struct EnteteInitial {
        QPointer<QAbstractItemModel> modele;
        int colonne;
        QVariant valeur;
    };

    void surveiller(QObject* objet);
    bool appartientAuFormulaire(QObject* objet) const;
    bool traiterTouche(QObject* objet, QKeyEvent* e);
    bool traiterCaractere(QObject* objet, QKeyEvent* e);
    bool traiterEchapEntree(QObject* objet, QKeyEvent* e);
    // The open panel, the one holding the focus first; nullptr when none is open.
    const Panneau* panneauOuvert() const;
    // The screen fit (see above), before each show; again after an activation or the language switch
    // (`affichage` false), when the form grew past the area.
    void ajusterALEcran(bool affichage);
    QScreen* ecranDeLaFenetre() const;
    // The window manager frames a window once it is shown: a first show places it with a frame guessed,
    // and places it again once the real frame is known.
    void attendreLeCadre();
    void placerDansLeCadre();
    void defilerLeContenu(const QSize& minimum);
    // The scrolled contents bring into view the control that got the focus by the keyboard or the program.
    void suivreLeFocus(QObject* objet, Qt::FocusReason raison);
    // Whether the wheel at that point of the viewport is over the contents' own surface (labels, frames,
    // empty space) rather than over a control that takes the wheel itself.
    bool surfaceDuContenu(const QPoint& position) const;
    // The form's first activation after a show, or one coming from another of the program's forms.
    bool activationDUneForme();
    bool decharger();
    void memoriserTextes();
    void restaurerTextes();
    template <class Fn> void appeler(const char* evenement, Fn&& fn);

    bool m_charge = false;
    bool m_dejaCharge = false;
    bool m_masquerALaFermeture = false;
    bool m_traductionActivation = true;
    bool m_toucheF12 = true;
    bool m_dansDechargement = false;
    bool m_dansRemplacement = false;
    bool m_activationAttendue = false;
    std::unique_ptr<Connexion> m_connexion;
    QPointer<QAbstractButton> m_boutonAnnuler;
    QPointer<QWidget> m_proprietaire;
    QList<Panneau> m_panneaux;
    QTimer* m_attenteCadre = nullptr;
    int m_essaisCadre = 0;
    QPointer<QScrollArea> m_defilement;
    QPointer<QWidget> m_contenu;
    QSize m_maximumDefilement; // the form's largest size with room for the scroll bars
    // The size the form gave itself, and the one the screen fit gave it instead.
    QSize m_tailleVoulue;
    QSize m_tailleAjustee;
    QHash<QString, QPointer<QWidget>> m_legendes;
    QList<std::function<void()>> m_nettoyages;
    QList<TexteInitial> m_textesInitiaux;
    QList<EnteteInitial> m_entetesInitiaux;

    // The key event last previewed, to tell its propagation to the parents from a new event.
    const QEvent* m_dernierEvenement = nullptr;
    QEvent::Type m_dernierType = QEvent::None;
    int m_derniereTouche = 0;
    quint64 m_dernierHorodatage = 0;
    QPointer<QObject> m_derniereCible;
};
