"""Writes the .xls workbooks the workbook reader and the employee import are tested and measured on
(python3-xlwt).

    classeurs_xls.py DOSSIER               the test workbooks, into DOSSIER
    classeurs_xls.py --bench FICHIER N     one sheet "Feuil1" of N rows by 7 columns, after a heading row
    classeurs_xls.py --import FICHIER N    a generic import sheet of N rows: every other row an employee
                                           of the benchmark database, the others new ones
    classeurs_xls.py --echec FICHIER N K   a generic import sheet of N new employees, row K's badge "ECHEC"
"""

import datetime
import struct
import sys

import xlwt


class TexteEnLigne(object):
    """A text stored in the cell itself (LABEL record) rather than in the shared string table."""

    def __init__(self, rowx, colx, texte):
        self.rowx, self.colx, self.texte = rowx, colx, texte

    def get_biff_data(self):
        octets = self.texte.encode("utf-16-le")
        corps = struct.pack("<3HHB", self.rowx, self.colx, 0x0F, len(self.texte), 1) + octets
        return struct.pack("<2H", 0x0204, len(corps)) + corps


def en_ligne(feuille, ligne, colonne, texte):
    feuille.row(ligne).insert_cell(colonne, TexteEnLigne(ligne, colonne, texte))


DATE = xlwt.easyxf(num_format_str="DD/MM/YYYY")
DATE_HEURE = xlwt.easyxf(num_format_str="DD/MM/YYYY HH:MM:SS")
HEURE = xlwt.easyxf(num_format_str="HH:MM:SS")


def generique(chemin):
    wb = xlwt.Workbook(encoding="utf-8")
    # The sheet looked for is not the first one.
    autre = wb.add_sheet("Autre")
    autre.write(0, 0, "pas celle-ci")
    f = wb.add_sheet("Feuil1")
    entetes = ["Matricule", "Badge", "Nom", " Prénom ", "Profil", "Site", "Service", "NOM", "Valeur"]
    for c, e in enumerate(entetes):
        f.write(0, c, e)
    f.write(1, 0, 12345)
    f.write(1, 1, "A0123")
    f.write(1, 2, "DUPONT")
    f.write(1, 3, "Jean")
    f.write(1, 4, "chef ")
    # column 5 left empty
    f.write(1, 6, "Atelier")
    f.write(1, 7, "doublon")
    f.write(1, 8, 12.5)
    # row 2 holds nothing at all
    f.write(3, 0, datetime.date(2024, 3, 1), DATE)
    f.write(3, 1, datetime.datetime(2024, 3, 1, 10, 30), DATE_HEURE)
    f.write(3, 2, datetime.datetime(2024, 3, 2, 0, 0), DATE_HEURE)
    f.write(3, 3, True)
    f.write(3, 4, False)
    f.row(3).set_cell_error(5, "#DIV/0!")
    f.write(3, 6, 1e15)
    en_ligne(f, 3, 7, "Écrit en ligne")
    f.write(3, 8, -3.25)
    f.write(4, 0, 12345.0)
    f.write(4, 1, 0.1 + 0.2)
    f.write(4, 2, datetime.time(10, 30, 15), HEURE)
    f.write(4, 3, "")  # a blank cell with a style only
    f.write(4, 8, "dernière")
    wb.save(chemin)


def clients(chemin):
    wb = xlwt.Workbook(encoding="utf-8")
    r = wb.add_sheet("Rapport 1")
    for c, e in enumerate(["Matricule", "Nom", "Prenom", "Profil"]):
        r.write(0, c, e)
    r.write(1, 0, 4711)
    r.write(1, 1, "MARTIN")
    r.write(1, 2, "Paul")
    r.write(1, 3, "ATE ouvrier")
    l = wb.add_sheet("liste")
    for c, e in enumerate(["HOPAFFBBADGE", "HOPEMPLNOMPRE", "Service"]):
        l.write(0, c, e)
    l.write(1, 0, 123)
    l.write(1, 1, "DE LA TOUR ANNE")
    l.write(1, 2, "ATELIER")
    l.write(2, 0, 98765)
    l.write(2, 1, "DUPONT JEAN")
    wb.save(chemin)


def grand(chemin):
    wb = xlwt.Workbook(encoding="utf-8")
    f = wb.add_sheet("Feuil1")
    for c in range(256):
        f.write(0, c, "C%d" % c)
        f.write(1, c, c)
    f.write(2, 0, "fin")
    wb.save(chemin)


def long_texte(chemin):
    wb = xlwt.Workbook(encoding="utf-8")
    f = wb.add_sheet("Feuil1")
    f.write(0, 0, "Texte")
    # The longest text a cell holds: it spans several records of the string table.
    f.write(1, 0, "x" * 32767)
    f.write(2, 0, "fin")
    wb.save(chemin)


def protege(chemin):
    """A workbook whose stream announces RC4 encryption (FILEPASS right after the first BOF)."""
    wb = xlwt.Workbook(encoding="utf-8")
    f = wb.add_sheet("Feuil1")
    f.write(0, 0, "secret")
    bof = wb._Workbook__bof_rec
    filepass = struct.pack("<2H", 0x002F, 54) + struct.pack("<3H", 1, 1, 1) + b"\x11" * 48
    wb._Workbook__bof_rec = lambda: bof() + filepass
    wb.save(chemin)


def bench(chemin, lignes):
    wb = xlwt.Workbook(encoding="utf-8")
    f = wb.add_sheet("Feuil1")
    for c, e in enumerate(["Matricule", "Badge", "Nom", "Prénom", "Profil", "Site", "Service"]):
        f.write(0, c, e)
    for i in range(1, lignes + 1):
        f.write(i, 0, 100000 + i)
        f.write(i, 1, "B%07d" % i)
        f.write(i, 2, "NOM%d" % i)
        f.write(i, 3, "Prénom %d" % (i % 500))
        f.write(i, 4, "Profil %d" % (i % 20))
        f.write(i, 5, i * 0.5)
        f.write(i, 6, "Service %d" % (i % 50))
    wb.save(chemin)


ENTETES_GENERIQUE = ["Matricule", "Badge", "Nom", "Prénom", "Profil", "Site", "Service"]


def feuille(wb, nom, entetes, lignes):
    f = wb.add_sheet(nom)
    for c, e in enumerate(entetes):
        f.write(0, c, e)
    for l, ligne in enumerate(lignes, start=1):
        for c, v in enumerate(ligne):
            if v is not None:
                f.write(l, c, v)
    return f


def import_generique(chemin):
    wb = xlwt.Workbook(encoding="utf-8")
    feuille(wb, "Feuil1", ENTETES_GENERIQUE, [
        [12345, "A0123", "DUPONT", "Jean", "chef ", "Nord", "atelier"],
        ["M2", 12345, "MARTIN", "Paul", "Soudeur", " Nord ", None],
        ["M3", "ab12", "LEGRAND", "Luc", " soudeur ", "Sud", "Magasin"],
        ["M4", None, "SANS BADGE", "Rien", "CHEF", "Est", "Est"],
        ["M5", "A1-2", "O'NEIL", "Anne", None, None, "Magasin"],
        ["M6", "X0456", "NOUVEAU", "Nom", "QUOTAS GENERAL", "Ouest", "Ouest"],
        ["M7", "B%2", "POURCENT", "Pierre", "chef", "Nord", None],
        ["M8", "Q'1", "x" * 300, 42, "chef", "Nord", None],
        ["M9", "Z", "UNE", "Lettre", "chef", "Nord", None],
        ["M10", "A1-2", "O'NEIL-BIS", "Anne", None, "Ailleurs", None],
        ["M11", "C3", "MAGASINIER", "Marc", "SOUDEUR", "Nord", "magasin "],
    ])
    wb.save(chemin)


def import_liste(chemin):
    wb = xlwt.Workbook(encoding="utf-8")
    feuille(wb, "liste", ["Autre", "Service", "HOPEMPLNOMPRE", "HOPAFFBBADGE"], [
        ["x", "ATELIER", "DE LA TOUR ANNE", 123],
        ["x", "ATELIER", "DUPONT JEAN", 123.6],
        ["x", "MAINTENANCE", "DUPONT", "77"],
        ["x", "MAINTENANCE", "MARTIN PAUL", "AB-7"],
        ["x", "ATELIER", "SANS BADGE", None],
        ["x", "atelier", "LEGER LEA", 1234567],
        ["x", None, "SANS SERVICE", " 5 "],
    ])
    wb.save(chemin)


def import_rapport(chemin, lignes):
    wb = xlwt.Workbook(encoding="utf-8")
    feuille(wb, "Rapport 1", ["Matricule", "NOM", "Prénom", "nom_profil"], lignes)
    wb.save(chemin)


def import_entetes(chemin):
    wb = xlwt.Workbook(encoding="utf-8")
    feuille(wb, "Feuil1", ENTETES_GENERIQUE, [])
    feuille(wb, "liste", ["HOPAFFBBADGE", "HOPEMPLNOMPRE", "Service"], [])
    feuille(wb, "Rapport 1", ["Matricule", "NOM", "Prénom", "nom_profil"], [])
    wb.save(chemin)


def badge_bench(i):
    """The badge the benchmark database gives employee i (ten hexadecimal digits)."""
    return "%010X" % ((i * 0x9E3779B97) & 0xFFFFFFFFFF)


def import_bench(chemin, lignes):
    metiers = ["Atelier", "Maintenance", "Logistique", "Qualité", "Expédition"]
    villes = ["Lyon", "Saint-Étienne", "Besançon", "Orléans"]
    wb = xlwt.Workbook(encoding="utf-8")
    f = wb.add_sheet("Feuil1")
    for c, e in enumerate(ENTETES_GENERIQUE):
        f.write(0, c, e)
    k = 0
    for i in range(1, lignes + 1):
        if i % 2:
            # A known employee, as the cell names it (a badge whose rule would drop its first character is
            # left out).
            while True:
                k += 1
                badge = badge_bench((k * 7919) % 50000 + 1)
                if not badge[1:].isdigit():
                    break
        else:
            badge = "N-%07d" % i
        f.write(i, 0, "M%07d" % i)
        f.write(i, 1, badge)
        f.write(i, 2, "NOM%d" % i)
        f.write(i, 3, "Prénom %d" % (i % 300))
        f.write(i, 4, "Profil %s" % metiers[i % 5] if i % 7 else "Profil nouveau %d" % (i % 3))
        f.write(i, 5, "Site %s" % villes[i % 4] if i % 11 else "Site annexe")
        f.write(i, 6, "%s %d" % (metiers[i % 5], i % 4 + 1) if i % 13 else "Magasin %d" % (i % 2))
    wb.save(chemin)


def import_echec(chemin, lignes, echec):
    wb = xlwt.Workbook(encoding="utf-8")
    f = wb.add_sheet("Feuil1")
    for c, e in enumerate(ENTETES_GENERIQUE):
        f.write(0, c, e)
    for i in range(1, lignes + 1):
        f.write(i, 0, "M%d" % i)
        f.write(i, 1, "ECHEC" if i == echec else "E-%d" % i)
        f.write(i, 2, "NOM%d" % i)
        f.write(i, 3, "Prénom")
        f.write(i, 4, "Profil %d" % (i % 3))
        f.write(i, 5, "Site %d" % (i % 2))
        f.write(i, 6, "Service %d" % (i % 4))
    wb.save(chemin)


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--bench":
        bench(sys.argv[2], int(sys.argv[3]))
    elif len(sys.argv) == 4 and sys.argv[1] == "--import":
        import_bench(sys.argv[2], int(sys.argv[3]))
    elif len(sys.argv) == 5 and sys.argv[1] == "--echec":
        import_echec(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
    elif len(sys.argv) == 2:
        d = sys.argv[1]
        generique(d + "/generique.xls")
        clients(d + "/clients.xls")
        grand(d + "/grand.xls")
        long_texte(d + "/long.xls")
        protege(d + "/protege.xls")
        import_generique(d + "/import_generique.xls")
        import_liste(d + "/import_liste.xls")
        import_entetes(d + "/import_entetes.xls")
        # The third row has no payroll number: the sheet ends there.
        import_rapport(d + "/import_rapport.xls", [
            [" 4711 ", "IGNORE", "Ignoré", "pn1 equipage"],
            [4800, "NEUF", "Zoé", "PN1 EQUIPAGE"],
            [None, "VIDE", "", "PN1 EQUIPAGE"],
            [4900, "APRES", "Trop", "PN1 EQUIPAGE"],
        ])
        import_rapport(d + "/import_rapport2.xls", [
            ["4712", "IGNORE", "Ignoré", "PN1 EQUIPAGE"],
            [4801, "AUTRE", "Al", "XYZ inconnu"],
            [4802, "LONG", "Service", "PN2 xyz"],
        ])
    else:
        sys.exit(__doc__)
