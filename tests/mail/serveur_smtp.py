"""A local SMTP server for the mail tests and benchmarks (aiosmtpd), on 127.0.0.1 and a free port, which it
prints first. Every mail it accepts goes to the folder given as first argument, numbered from 1: "N.json"
holds the envelope ("de", "a", "utilisateur": the login or null) and "N.eml" the bytes received after DATA,
leading dots undone, up to the terminator; both are written before the 250 to the terminator.

Options:
  --refuser CODE      answers RCPT TO with CODE (and a text) instead of accepting it;
  --retard-rcpt S     answers RCPT TO after S seconds;
  --retard-message S  answers the terminator of the message after S seconds;
  --auth USER PASS    demands AUTH LOGIN with this user and password before MAIL FROM.
"""

import argparse
import asyncio
import json
import logging
import os
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

parametres = argparse.ArgumentParser()
parametres.add_argument("dossier")
parametres.add_argument("--refuser", type=int)
parametres.add_argument("--retard-rcpt", type=float, default=0)
parametres.add_argument("--retard-message", type=float, default=0)
parametres.add_argument("--auth", nargs=2)
options = parametres.parse_args()

# Authentication without TLS is what these tests want: no warning about it on the output.
warnings.simplefilter("ignore")
logging.getLogger("mail.log").setLevel(logging.CRITICAL)


class Boite:
    def __init__(self):
        self.nombre = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if options.retard_rcpt:
            await asyncio.sleep(options.retard_rcpt)
        if options.refuser:
            return f"{options.refuser} 5.7.1 Relay refused for <{address}>"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if options.retard_message:
            await asyncio.sleep(options.retard_message)
        self.nombre += 1
        base = os.path.join(options.dossier, str(self.nombre))
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        utilisateur = session.auth_data.decode("latin-1") if session.authenticated else None
        with open(base + ".json", "w", encoding="utf-8") as f:
            json.dump({"de": envelope.mail_from, "a": envelope.rcpt_tos, "utilisateur": utilisateur}, f)
        return "250 OK queued as " + str(self.nombre)


def authentifier(server, session, envelope, mechanism, auth_data):
    reussi = (mechanism == "LOGIN" and isinstance(auth_data, LoginPassword)
              and [auth_data.login, auth_data.password] == [x.encode("latin-1") for x in options.auth])
    if not reussi:
        return AuthResult(success=False, handled=False)  # the server then answers 535
    return AuthResult(success=True, auth_data=auth_data.login)


def protocole():
    # A fixed name: the default looks the machine's name up, which can take seconds.
    if options.auth:
        return SMTP(boite, hostname="serveur.test", authenticator=authentifier, auth_required=True,
                    auth_require_tls=False)
    return SMTP(boite, hostname="serveur.test")


async def principal():
    serveur = await asyncio.get_running_loop().create_server(protocole, "127.0.0.1", 0)
    print(serveur.sockets[0].getsockname()[1], flush=True)
    await serveur.serve_forever()


boite = Boite()
try:
    asyncio.run(principal())
except KeyboardInterrupt:
    sys.exit(0)
