"""A local HTTP server standing in for the SAP adapter, on 127.0.0.1. Its first argument says how it
answers each POST: "reponse STATUT CORPS [ENTETE: VALEUR ...]", "fermer" (closes without an answer),
"silence" (never answers) or "goutte" (200, then the body one byte at a time). Prints its port, then one
JSON line per request: "ligne", "entetes" ([name, value] pairs), "corps" (base64) and "xml" (each
element's text by tag) or "erreur_xml" when the body does not parse.
"""

import base64
import json
import sys
import threading
import time
import xml.etree.ElementTree as ET
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

MODE = sys.argv[1]
sortie = threading.Lock()


class Adaptateur(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def noter(self):
        longueur = int(self.headers.get("Content-Length") or 0)
        corps = self.rfile.read(longueur)
        trace = {"ligne": self.requestline, "entetes": list(self.headers.items()),
                 "corps": base64.b64encode(corps).decode("ascii")}
        try:
            trace["xml"] = {e.tag: e.text or "" for e in ET.fromstring(corps).iter()}
        except ET.ParseError as erreur:
            trace["erreur_xml"] = str(erreur)
        with sortie:
            print(json.dumps(trace), flush=True)

    def do_POST(self):
        self.noter()
        if MODE == "reponse":
            corps = sys.argv[3].encode("utf-8")
            self.send_response(int(sys.argv[2]))
            for entete in sys.argv[4:]:
                nom, valeur = entete.split(":", 1)
                self.send_header(nom, valeur.strip())
            self.send_header("Content-Length", str(len(corps)))
            self.end_headers()
            self.wfile.write(corps)
        elif MODE == "fermer":
            self.close_connection = True
        elif MODE == "silence":
            time.sleep(3600)
        elif MODE == "goutte":
            self.send_response(200)
            self.send_header("Content-Length", "1000000")
            self.end_headers()
            try:
                while True:
                    self.wfile.write(b"x")
                    self.wfile.flush()
                    time.sleep(0.1)
            except OSError:
                pass


serveur = ThreadingHTTPServer(("127.0.0.1", 0), Adaptateur)
serveur.daemon_threads = True
print(serveur.server_address[1], flush=True)
serveur.serve_forever()
