"""A misbehaving SMTP peer on 127.0.0.1 and a free port, which it prints first. "ligne N": a greeting
line of N bytes; "sans-fin N": N bytes without a line end; "echo-auth": the login is refused with the
Base64 texts it was sent and the password quoted back."""

import base64
import socket
import sys
import time

mode = sys.argv[1]
serveur = socket.socket()
serveur.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
serveur.bind(("127.0.0.1", 0))
serveur.listen(1)
print(serveur.getsockname()[1], flush=True)
client, _ = serveur.accept()
lecteur = client.makefile("rb")


def dire(octets):
    try:
        client.sendall(octets)
    except OSError:  # the client has gone
        pass


if mode in ("ligne", "sans-fin"):
    n = int(sys.argv[2])
    dire(b"220 " + b"x" * (n - 4) + (b"\r\n" if mode == "ligne" else b""))
elif mode == "echo-auth":
    dire(b"220 serveur.test\r\n")
    lecteur.readline()
    dire(b"250-serveur.test\r\n250 AUTH LOGIN\r\n")
    lecteur.readline()
    dire(b"334 VXNlcm5hbWU6\r\n")
    utilisateur = lecteur.readline().strip()
    dire(b"334 UGFzc3dvcmQ6\r\n")
    mot = lecteur.readline().strip()
    dire(b"535 bad credentials for " + utilisateur + b" " + mot + b" (" + base64.b64decode(mot) + b")\r\n")
time.sleep(30)
