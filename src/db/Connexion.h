#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

#include "db/Valeurs.h"

// Where a connection goes: an empty server means the embedded SQLite file "<base>.db" in `dossier`;
// otherwise PostgreSQL on "host", "host:port" or an absolute socket folder (optionally ":port").
struct ParametresConnexion {
    QString serveur;
    QString base;
    QString utilisateur;
    QString motDePasse;
    QString dossier; // folder of the embedded file
    bool lectureSeule = false;
    bool creer = false; // embedded file only: create it when missing (the setup, never the program)
    // Embedded only: a side database opened under its own file name ("CP.MDB"), in place of
    // "<base>.db" in `dossier`.
    QString fichier;
};

enum class Moteur { SQLite, PostgreSQL };

// One database connection: a uniquely named QSqlDatabase, opened at construction or by ouvrir(), closed
// and removed when the object dies. Failures to open are ErreurExecution BaseInaccessible; failures of
// statements are ErreurExecution ErreurBase with the driver's text.
class Connexion {
public:
    Connexion();
    explicit Connexion(const ParametresConnexion& parametres);
    ~Connexion();
    Connexion(const Connexion&) = delete;
    Connexion& operator=(const Connexion&) = delete;

    // The main database and the rights database, from the application state and the program folder.
    static ParametresConnexion parametresPrincipale();
    static ParametresConnexion parametresDroits();
    // The file of an embedded database.
    static QString cheminFichier(const QString& dossier, const QString& base);
    // The refusal to show when a file a user picked (a picture, a workbook) is one of the program's own
    // databases in the program folder: the embedded main and rights databases or the error log
    // "MAINTEN.MDB", or the "-wal" or "-shm" of one, compared by canonical path; "" for any other file.
    // Reading such a file would have this process open and close it, which drops the locks SQLite holds
    // on it for the program's connections: the check comes before anything opens it.
    static QString refusFichierDeBase(const QString& chemin);

    void ouvrir(const ParametresConnexion& parametres);
    void ouvrirPrincipale() { ouvrir(parametresPrincipale()); }
    void ouvrirDroits() { ouvrir(parametresDroits()); }
    void fermer();
    bool estOuverte() const;

    Moteur moteur() const { return m_moteur; }
    bool estSQLite() const { return m_moteur == Moteur::SQLite; }
    QSqlDatabase db() const;
    const QString& nom() const { return m_nom; }
    const ParametresConnexion& parametres() const { return m_parametres; }

    // Statements. Every value is bound; the query is returned positioned before its first row.
    QSqlQuery executer(const QString& sql, const QVariantList& valeurs = {});
    // Hears the text of every statement executer() runs, on every connection, before it runs (none by
    // default; an empty function stops it): how tests and benchmarks count what a window reads. Set it
    // while no other thread runs statements.
    static void setSuiviRequetes(std::function<void(const QString& sql)> suivi);
    // The number of statements executer() has run in this program, on every connection: how tests and
    // benchmarks count the statements a step runs (whether anything was written is etatDesDonnees).
    static quint64 nombreRequetes();
    // Refuses a text that holds U+0000 before any driver sees it: PostgreSQL cannot store it, and its
    // driver's error would quote the value into messages and the log. The message names the statement
    // and the value's rank, nothing of the value. executer() calls it; so must code that binds itself.
    static void verifierValeurs(const QString& sql, const QVariantList& valeurs);
    // The kind of each column of a query's result: SQLite's declared types (it gives dates and money as
    // text or numbers), PostgreSQL's server types (numeric(19,4) and double precision both reach Qt as
    // double).
    QList<Valeurs::TypeColonne> typesColonnes(const QSqlQuery& requete) const;
    // The first column of the first row, or a Null QVariant when there is no row.
    QVariant valeurUnique(const QString& sql, const QVariantList& valeurs = {});
    // "?" on SQLite, "CAST(? AS timestamp)" on PostgreSQL: a bound date where the context gives no type.
    QString parametreDate() const;

    // Write transactions: SQLite "BEGIN IMMEDIATE" (two writers never deadlock), PostgreSQL BEGIN.
    void debutEcriture();
    void valider();
    void annuler();
    bool enTransaction() const { return m_enTransaction; }
    // Holds a shared table for the rest of the transaction (PostgreSQL EXCLUSIVE lock; on SQLite the
    // write transaction already holds the whole file).
    void verrouillerTable(const QString& table);

    // What a read on this connection would see, in a few bytes: two equal answers mean nothing was
    // written in between, by this connection or any other (SQLite: the commits of other connections to
    // the file, this one's own changes and its schema; PostgreSQL: the snapshot, which names every
    // transaction whose writes a read sees, on the whole server, so that a write to another database
    // counts too). Empty inside a transaction of this connection, whose own writes it cannot tell apart:
    // nothing is then the same as before.
    QString etatDesDonnees();

    // The text of the last driver error of a query, for messages.
    static QString texteErreur(const QSqlQuery& requete);

    // The most values one statement may bind on this connection (SQLite's limit, PostgreSQL's 65,535).
    qsizetype valeursParInstruction() const;

private:
    friend class InstructionPreparee;
    struct Gardee;
    // The kept statement of that text, lent until the borrower gives it back; a text already lent gets a
    // statement of its own, dropped after use.
    std::shared_ptr<Gardee> preter(const QString& sql);
    std::shared_ptr<Gardee> preparer(const QString& sql);
    // Drops every kept statement while the connection is still there (Qt wants every query gone before
    // the connection goes).
    void oublierInstructions();

    QString ouvrirSQLite(const ParametresConnexion& p);
    QString ouvrirPostgreSQL(const ParametresConnexion& p);
    void echec(const QString& texte);

    QString m_nom;
    Moteur m_moteur = Moteur::SQLite;
    ParametresConnexion m_parametres;
    bool m_enTransaction = false;
    // Which opening of the program this is: a state read before a close never matches one after it.
    quint64 m_ouverture = 0;
    // The kept statements by text, and the least recently used order among them.
    QHash<QString, std::shared_ptr<Gardee>> m_gardees;
    std::vector<std::weak_ptr<Gardee>> m_horsCache;
    quint64 m_usage = 0;
};

// A statement kept prepared on its connection: the first use of a text prepares it, later uses (this
// routine's next rows, the next hand-out) run it again with new values, up to 64 texts a connection, the
// least recently used going first. Each object borrows the statement for its lifetime: one borrower at a
// time, so that a routine that runs the same text while reading an earlier result of it gets a statement
// of its own. executer() has the checks, counting, trace and messages of Connexion::executer(); it
// finishes the previous result before it runs again, and the object finishes its last one when it goes.
// On PostgreSQL the whole result is fetched at once, so that the statements the reader runs meanwhile
// cannot cut it short. A run that fails has the statement prepared afresh at the next use; closing the
// connection drops them all (a borrower then gets "Connexion fermée").
class InstructionPreparee {
public:
    InstructionPreparee(Connexion& connexion, const QString& sql);
    ~InstructionPreparee();
    InstructionPreparee(const InstructionPreparee&) = delete;
    InstructionPreparee& operator=(const InstructionPreparee&) = delete;
    // Runs it with these values, bound in order (the same number at every run); the query, for a
    // statement that returns rows.
    QSqlQuery& executer(const QVariantList& valeurs);
    // The first column of the first row, or a Null QVariant when there is none.
    QVariant valeurUnique(const QVariantList& valeurs);

private:
    std::shared_ptr<Connexion::Gardee> m_gardee;
};

// A write transaction that rolls back unless validated (scope exit, exception).
class TransactionEcriture {
public:
    explicit TransactionEcriture(Connexion& connexion);
    ~TransactionEcriture();
    void valider();

private:
    Connexion& m_connexion;
    bool m_finie = false;
};

// The host and port of a PostgreSQL server text ("host", "host:port", "/socket/folder", "/folder:port").
void decomposerServeur(const QString& serveur, QString* hote, int* port);
