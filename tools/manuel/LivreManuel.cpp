#include "manuel/LivreManuel.h"

#include "Version.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cmath>
#include <memory>
#include <vector>

namespace LivreManuel {

namespace {

// The page, in millimetres: A4, the text between the margins, the header and the footer in them.
constexpr qreal Resolution = 300; // dots per inch of the PDF's coordinates
constexpr qreal LargeurPage = 210, HauteurPage = 297;
constexpr qreal MargeGauche = 20, MargeDroite = 20, MargeHaut = 25, MargeBas = 22;
constexpr qreal LigneEntete = 17, LigneBasDePage = 284; // base lines
// Pictures: a pixel of a window is shown at this resolution, smaller when it would not fit.
constexpr qreal ResolutionPhotos = 110;
constexpr qreal PartPageMaxPhoto = 0.6; // of the text's height

const QColor Encre(33, 45, 103); // the menu buttons' text colour
const QColor Gris(110, 110, 110);

qreal px(qreal mm) {
    return mm * Resolution / 25.4;
}
// Lengths of text formats are in pixels of 96 dots per inch, scaled to the device by the layout.
qreal px96(qreal mm) {
    return mm * 96 / 25.4;
}

QFont police(qreal points, bool gras = false, bool italique = false) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPointSizeF(points);
    f.setBold(gras);
    f.setItalic(italique);
    return f;
}

bool poserErreur(QString* erreur, const QString& texte) {
    if (erreur)
        *erreur = texte;
    return false;
}

// One chapter laid out on pages of the text's size.
struct ChapitreMisEnPage {
    std::unique_ptr<QTextDocument> doc;
    QString numero, titre;
    QList<QPair<Entree, QTextBlock>> entrees; // its title and sections, with their blocks
    int pages = 0;
    int premierePage = 0; // as printed
};

void formaterTitres(QTextDocument& doc, ChapitreMisEnPage& c, int numero) {
    int section = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const int niveau = b.blockFormat().headingLevel();
        if (niveau < 1 || niveau > 3)
            continue;
        QString num;
        if (niveau == 1)
            num = QString::number(numero);
        else if (niveau == 2)
            num = QStringLiteral("%1.%2").arg(numero).arg(++section);
        const QString titre = b.text().trimmed();
        QTextBlockFormat bf = b.blockFormat();
        QTextCharFormat cf;
        cf.setForeground(Encre);
        cf.setFontWeight(QFont::Bold);
        cf.setFontFamilies({QStringLiteral("Liberation Sans")});
        if (niveau == 1) {
            cf.setFontPointSize(20);
            bf.setTopMargin(0);
            bf.setBottomMargin(px96(7));
        } else if (niveau == 2) {
            cf.setFontPointSize(14);
            bf.setTopMargin(px96(6));
            bf.setBottomMargin(px96(2.5));
        } else {
            cf.setFontPointSize(11.5);
            bf.setTopMargin(px96(4));
            bf.setBottomMargin(px96(1.5));
        }
        QTextCursor cur(b);
        cur.setBlockFormat(bf);
        // The heading's own size steps would win over the sizes above: each piece gets a format without them.
        struct Morceau {
            int debut, fin;
            QTextCharFormat format;
        };
        QList<Morceau> morceaux;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextCharFormat f = it.fragment().charFormat();
            f.clearProperty(QTextFormat::FontSizeAdjustment);
            f.merge(cf);
            morceaux.append({it.fragment().position(), it.fragment().position() + it.fragment().length(), f});
        }
        for (const Morceau& m : morceaux) {
            QTextCursor sel(&doc);
            sel.setPosition(m.debut);
            sel.setPosition(m.fin, QTextCursor::KeepAnchor);
            sel.setCharFormat(m.format);
        }
        QTextCharFormat bcf = b.charFormat();
        bcf.clearProperty(QTextFormat::FontSizeAdjustment);
        bcf.merge(cf);
        cur.setBlockCharFormat(bcf);
        if (!num.isEmpty()) {
            cur.movePosition(QTextCursor::StartOfBlock);
            cur.insertText(num + QStringLiteral("  "), bcf);
        }
        if (niveau == 1) {
            c.numero = num;
            c.titre = titre;
        }
        if (niveau <= 2)
            c.entrees.append({Entree{niveau, num, titre, 0}, b});
    }
}

// A line of a code block: the reader gives it a code language (empty for an indented block).
bool estCode(const QTextBlock& b) {
    const QTextBlockFormat bf = b.blockFormat();
    return bf.hasProperty(QTextFormat::BlockCodeLanguage) || bf.hasProperty(QTextFormat::BlockCodeFence);
}

// Code in the text (`...`) or in a code block: the reader asks for a fixed face, one way or the other.
bool estTexteCode(const QTextCharFormat& f) {
    return f.fontFixedPitch() || f.fontFamilies().toStringList().contains(QStringLiteral("monospace"));
}

void formaterParagraphes(QTextDocument& doc) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextBlockFormat bf = b.blockFormat();
        const bool code = estCode(b);
        // Code lines wrap like the rest: a long line must not run over the margin.
        bf.setNonBreakableLines(false);
        if (bf.headingLevel() == 0) {
            bf.setLineHeight(118, QTextBlockFormat::ProportionalHeight);
            if (code) {
                bf.setBackground(QColor(240, 243, 247));
                bf.setLeftMargin(px96(3));
                bf.setTopMargin(px96(0.6));
                bf.setBottomMargin(px96(0.6));
            } else if (!b.textList() && !QTextCursor(b).currentTable()) {
                bf.setBottomMargin(px96(2.2));
            }
        }
        QTextCursor(b).setBlockFormat(bf);
    }
    // Code in the text: the mono face of the same family, a little smaller.
    QList<QPair<int, int>> code;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (estTexteCode(it.fragment().charFormat()))
                code.append({it.fragment().position(), it.fragment().length()});
    for (const auto& [debut, longueur] : code) {
        QTextCursor cur(&doc);
        cur.setPosition(debut);
        cur.setPosition(debut + longueur, QTextCursor::KeepAnchor);
        QTextCharFormat cf;
        cf.setFontFamilies({QStringLiteral("Liberation Mono")});
        cf.setFontPointSize(9);
        cur.mergeCharFormat(cf);
    }
}

void formaterTableaux(QTextFrame* cadre) {
    for (QTextFrame* enfant : cadre->childFrames()) {
        if (auto* t = qobject_cast<QTextTable*>(enfant)) {
            QTextTableFormat tf = t->format();
            tf.setBorder(0.75);
            tf.setBorderBrush(QColor(160, 170, 190));
            tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            tf.setBorderCollapse(true);
            tf.setCellSpacing(0);
            tf.setCellPadding(px96(1.2));
            tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            tf.setHeaderRowCount(1);
            tf.setTopMargin(px96(1.5));
            tf.setBottomMargin(px96(3));
            t->setFormat(tf);
            for (int col = 0; col < t->columns(); ++col) {
                QTextTableCell cell = t->cellAt(0, col);
                QTextCharFormat cf = cell.format();
                cf.setBackground(QColor(221, 229, 233)); // the menu buttons' colour
                cell.setFormat(cf);
            }
        }
        formaterTableaux(enfant);
    }
}

// Pictures read from the shots folder, scaled to the text's width at most, centred, with their caption.
bool poserPhotos(QTextDocument& doc, const QString& dossierPhotos, const QString& fichier, QString* erreur) {
    struct Photo {
        int position;
        QTextImageFormat format;
        QTextBlock bloc;
    };
    QList<Photo> photos;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                photos.append({it.fragment().position(), it.fragment().charFormat().toImageFormat(), b});
    const qreal largeurMax = px96(LargeurPage - MargeGauche - MargeDroite);
    const qreal hauteurMax = px96(HauteurPage - MargeHaut - MargeBas) * PartPageMaxPhoto;
    // From the last, so that an inserted caption moves no position still to come.
    for (auto it = photos.rbegin(); it != photos.rend(); ++it) {
        const QString nom = it->format.name();
        const QString chemin = nom.startsWith(QLatin1String("shots/"))
                                   ? QDir(dossierPhotos).filePath(nom.mid(6))
                                   : QFileInfo(fichier).dir().filePath(nom);
        const QImage image(chemin);
        if (image.isNull())
            return poserErreur(erreur,
                               QStringLiteral("%1: picture %2 not found (%3)").arg(fichier, nom, chemin));
        doc.addResource(QTextDocument::ImageResource, QUrl(nom), image);
        QSizeF taille = QSizeF(image.size()) * (96 / ResolutionPhotos);
        taille.scale(taille.boundedTo(QSizeF(largeurMax, hauteurMax)), Qt::KeepAspectRatio);
        QTextImageFormat f = it->format;
        f.setWidth(taille.width());
        f.setHeight(taille.height());
        QTextCursor cur(&doc);
        cur.setPosition(it->position);
        cur.setPosition(it->position + 1, QTextCursor::KeepAnchor);
        cur.setCharFormat(f);
        const QString legende = it->format.property(QTextFormat::ImageAltText).toString().trimmed();
        if (it->bloc.text().trimmed() == QString(QChar::ObjectReplacementCharacter)) {
            QTextBlockFormat bf = it->bloc.blockFormat();
            bf.setAlignment(Qt::AlignHCenter);
            bf.setTopMargin(px96(2));
            bf.setBottomMargin(legende.isEmpty() ? px96(4) : px96(0.5));
            bf.setLineHeight(100, QTextBlockFormat::ProportionalHeight);
            QTextCursor(it->bloc).setBlockFormat(bf);
            if (!legende.isEmpty()) {
                QTextCursor fin(it->bloc);
                fin.movePosition(QTextCursor::EndOfBlock);
                QTextBlockFormat lf;
                lf.setAlignment(Qt::AlignHCenter);
                lf.setBottomMargin(px96(4));
                QTextCharFormat cf;
                cf.setFont(police(9, false, true));
                cf.setForeground(Gris);
                fin.insertBlock(lf, cf);
                fin.insertText(legende, cf);
            }
        }
    }
    return true;
}

// A section's heading left at the foot of a page goes over to the next one, with what it introduces.
void garderTitresAvecLaSuite(QTextDocument& doc, qreal hauteurPage) {
    for (int tour = 0; tour < 200; ++tour) {
        bool deplace = false;
        for (QTextBlock b = doc.begin(); b.isValid() && !deplace; b = b.next()) {
            QTextBlockFormat bf = b.blockFormat();
            if (bf.headingLevel() < 2 || (bf.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore))
                continue;
            const QRectF r = doc.documentLayout()->blockBoundingRect(b);
            const qreal finPage = (std::floor(r.top() / hauteurPage) + 1) * hauteurPage;
            if (finPage - r.bottom() < px(28)) {
                bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                bf.setTopMargin(0);
                QTextCursor(b).setBlockFormat(bf);
                // Everything after it moved (tables too, which the layout would leave in place otherwise):
                // lay it all out again and look again from the start.
                doc.markContentsDirty(0, doc.characterCount());
                deplace = true;
            }
        }
        if (!deplace)
            return;
    }
}

// The table of contents: drawn when `p` is given; returns the number of pages it takes.
int sommaire(QPainter* p, QPdfWriter* writer, const QList<Entree>& entrees, const Textes& textes,
             int premierePage) {
    const qreal gauche = px(MargeGauche), droite = px(LargeurPage - MargeDroite);
    const qreal bas = px(HauteurPage - MargeBas);
    int pages = 1;
    qreal y = px(MargeHaut);
    const auto titre = [&] {
        if (p) {
            p->setFont(police(22, true));
            p->setPen(Encre);
            p->drawText(QRectF(gauche, y, droite - gauche, px(12)), Qt::AlignLeft | Qt::AlignTop,
                        textes.tableDesMatieres);
        }
        y += px(18);
    };
    const auto basDePage = [&] {
        p->setFont(police(9));
        p->setPen(Gris);
        p->drawText(QRectF(gauche, px(LigneBasDePage) - px(5), droite - gauche, px(6)),
                    Qt::AlignHCenter | Qt::AlignBottom, QString::number(premierePage + pages - 1));
    };
    if (p)
        basDePage();
    titre();
    for (const Entree& e : entrees) {
        const bool chapitre = e.niveau == 1;
        const qreal hauteur = px(chapitre ? 8.5 : 6.2);
        if (y + hauteur > bas) {
            ++pages;
            y = px(MargeHaut);
            if (p) {
                writer->newPage();
                basDePage();
            }
        }
        if (p) {
            const QFont f = police(chapitre ? 11.5 : 10, chapitre);
            p->setFont(f);
            p->setPen(chapitre ? Encre : Qt::black);
            const QFontMetricsF fm(f, writer);
            const qreal retrait = chapitre ? 0 : px(8);
            const qreal colonneNumero = chapitre ? px(8) : px(11);
            const QRectF ligne(gauche + retrait, y, droite - gauche - retrait, hauteur);
            const QString page = QString::number(e.page);
            const qreal largeurPage = fm.horizontalAdvance(page);
            const qreal debutTitre = ligne.left() + colonneNumero;
            const qreal place = droite - largeurPage - px(6) - debutTitre;
            const QString texte = fm.elidedText(e.titre, Qt::ElideRight, place);
            p->drawText(QRectF(ligne.left(), y, colonneNumero, hauteur), Qt::AlignLeft | Qt::AlignBottom,
                        e.numero);
            p->drawText(QRectF(debutTitre, y, place, hauteur), Qt::AlignLeft | Qt::AlignBottom, texte);
            p->drawText(QRectF(droite - largeurPage, y, largeurPage, hauteur),
                        Qt::AlignRight | Qt::AlignBottom, page);
            // Dotted leaders from the title to the number.
            const qreal debutPoints = debutTitre + fm.horizontalAdvance(texte) + px(2);
            const qreal finPoints = droite - largeurPage - px(2);
            const qreal pas = fm.horizontalAdvance(QStringLiteral(". "));
            QString points;
            for (qreal x = debutPoints; x + pas <= finPoints; x += pas)
                points += QStringLiteral(". ");
            p->setPen(Gris);
            p->drawText(QRectF(debutPoints, y, finPoints - debutPoints, hauteur),
                        Qt::AlignRight | Qt::AlignBottom, points.trimmed());
        }
        y += hauteur;
    }
    return pages;
}

void enteteEtBasDePage(QPainter& p, const QString& gaucheEntete, const QString& droiteEntete, int page) {
    const qreal gauche = px(MargeGauche), droite = px(LargeurPage - MargeDroite);
    p.setPen(Gris);
    p.setFont(police(8.5));
    const QRectF entete(gauche, px(LigneEntete) - px(5), droite - gauche, px(5));
    p.drawText(entete, Qt::AlignLeft | Qt::AlignBottom, gaucheEntete);
    p.drawText(entete, Qt::AlignRight | Qt::AlignBottom, droiteEntete);
    p.setPen(QPen(QColor(190, 196, 208), px(0.25)));
    p.drawLine(QPointF(gauche, px(LigneEntete) + px(1.5)), QPointF(droite, px(LigneEntete) + px(1.5)));
    p.setPen(Gris);
    p.setFont(police(9));
    p.drawText(QRectF(gauche, px(LigneBasDePage) - px(5), droite - gauche, px(6)),
               Qt::AlignHCenter | Qt::AlignBottom, QString::number(page));
}

} // namespace

Textes textes(const QString& langue) {
    const QString version = QStringLiteral(DORVANE_VERSION_STRING);
    if (langue.compare(QLatin1String("NL"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("Dorvane"), QStringLiteral("Gebruikershandleiding"), QStringLiteral("Inhoud"),
                QStringLiteral("Versie %1").arg(version)};
    return {QStringLiteral("Dorvane"), QStringLiteral("Manuel d'utilisation"),
            QStringLiteral("Table des matières"), QStringLiteral("Version %1").arg(version)};
}

QList<Chapitre> lireChapitres(const QString& dossier, QString* erreur) {
    QList<Chapitre> chapitres;
    const QDir d(dossier);
    for (const QString& nom : d.entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name)) {
        QFile f(d.filePath(nom));
        if (!f.open(QIODevice::ReadOnly)) {
            poserErreur(erreur, QStringLiteral("cannot read %1").arg(f.fileName()));
            return {};
        }
        chapitres.append({f.fileName(), QString::fromUtf8(f.readAll())});
    }
    if (chapitres.isEmpty())
        poserErreur(erreur, QStringLiteral("no chapter (*.md) in %1").arg(dossier));
    return chapitres;
}

bool ecrire(const QList<Chapitre>& chapitres, const QString& dossierPhotos, const Textes& textes,
            const QString& pdf, QList<Entree>* sommaireFait, QString* erreur) {
    QDir().mkpath(QFileInfo(pdf).absolutePath());
    const QString provisoire = pdf + QStringLiteral(".part");
    QPdfWriter writer(provisoire);
    writer.setResolution(static_cast<int>(Resolution));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(textes.titre + QStringLiteral(" — ") + textes.sousTitre);
    writer.setCreator(QStringLiteral("Dorvane"));

    const QSizeF corps(px(LargeurPage - MargeGauche - MargeDroite), px(HauteurPage - MargeHaut - MargeBas));

    // First, every chapter laid out alone: its pages and where its sections fall.
    std::vector<ChapitreMisEnPage> mis;
    QList<Entree> entrees;
    for (int i = 0; i < chapitres.size(); ++i) {
        ChapitreMisEnPage c;
        c.doc = std::make_unique<QTextDocument>();
        QTextDocument& doc = *c.doc;
        doc.setDefaultFont(police(10));
        doc.setDocumentMargin(0);
        QTextOption option = doc.defaultTextOption();
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        doc.setDefaultTextOption(option);
        // The text holds no HTML: a "<Nom>" is text, not a tag that would swallow what follows.
        doc.setMarkdown(chapitres[i].markdown,
                        QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectGitHub |
                                                        QTextDocument::MarkdownNoHTML));
        formaterParagraphes(doc);
        formaterTitres(doc, c, i + 1);
        if (c.titre.isEmpty())
            return poserErreur(erreur, QStringLiteral("%1: no \"# \" title").arg(chapitres[i].fichier));
        formaterTableaux(doc.rootFrame());
        if (!poserPhotos(doc, dossierPhotos, chapitres[i].fichier, erreur))
            return false;
        doc.documentLayout()->setPaintDevice(&writer);
        doc.setPageSize(corps);
        garderTitresAvecLaSuite(doc, corps.height());
        c.pages = doc.pageCount();
        // (a table's outer border may stand a hair beyond the text, as the border's own half width)
        if (doc.documentLayout()->documentSize().width() > corps.width() + px(0.5))
            return poserErreur(
                erreur,
                QStringLiteral("%1: text runs over the right margin (%2 mm too wide)")
                    .arg(chapitres[i].fichier)
                    .arg((doc.documentLayout()->documentSize().width() - corps.width()) * 25.4 / Resolution,
                         0, 'f', 1));
        mis.push_back(std::move(c));
    }
    for (const ChapitreMisEnPage& c : mis)
        for (const auto& e : c.entrees)
            entrees.append(e.first);

    // Then the pages: the title page, the table of contents, the chapters one after another.
    const int pagesSommaire = sommaire(nullptr, &writer, entrees, textes, 2);
    int page = 2 + pagesSommaire;
    entrees.clear();
    for (ChapitreMisEnPage& c : mis) {
        c.premierePage = page;
        for (auto& [e, bloc] : c.entrees) {
            const qreal haut = c.doc->documentLayout()->blockBoundingRect(bloc).top();
            e.page = page + static_cast<int>(haut / corps.height());
            entrees.append(e);
        }
        page += c.pages;
    }

    QPainter p(&writer);
    if (!p.isActive())
        return poserErreur(erreur, QStringLiteral("cannot write %1").arg(pdf));
    // Title page.
    {
        const qreal gauche = px(MargeGauche), largeur = px(LargeurPage - MargeGauche - MargeDroite);
        p.setPen(Encre);
        p.setFont(police(40, true));
        p.drawText(QRectF(gauche, px(95), largeur, px(20)), Qt::AlignHCenter | Qt::AlignBottom, textes.titre);
        p.setFont(police(22));
        p.drawText(QRectF(gauche, px(120), largeur, px(14)), Qt::AlignHCenter | Qt::AlignTop,
                   textes.sousTitre);
        p.setPen(QPen(QColor(0, 143, 213), px(0.8)));
        p.drawLine(QPointF(gauche + largeur * 0.3, px(140)), QPointF(gauche + largeur * 0.7, px(140)));
        p.setPen(Gris);
        p.setFont(police(12));
        p.drawText(QRectF(gauche, px(146), largeur, px(10)), Qt::AlignHCenter | Qt::AlignTop, textes.version);
    }
    writer.newPage();
    sommaire(&p, &writer, entrees, textes, 2);
    const QString entete = textes.titre + QStringLiteral(" — ") + textes.sousTitre;
    for (const ChapitreMisEnPage& c : mis) {
        for (int i = 0; i < c.pages; ++i) {
            writer.newPage();
            enteteEtBasDePage(p, entete, c.numero + QStringLiteral("  ") + c.titre, c.premierePage + i);
            p.save();
            p.translate(px(MargeGauche), px(MargeHaut) - i * corps.height());
            c.doc->drawContents(&p, QRectF(QPointF(0, i * corps.height()), corps));
            p.restore();
        }
    }
    p.end();
    if (QFile::exists(pdf) && !QFile::remove(pdf))
        return poserErreur(erreur, QStringLiteral("cannot replace %1").arg(pdf));
    if (!QFile::rename(provisoire, pdf))
        return poserErreur(erreur, QStringLiteral("cannot write %1").arg(pdf));
    if (sommaireFait)
        *sommaireFait = entrees;
    return true;
}

} // namespace LivreManuel
