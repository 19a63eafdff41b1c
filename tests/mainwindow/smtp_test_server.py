"""SMTP server for the mail tests: listens on a free loopback port, writes the port to
<out>/port once it is listening, and saves each message it accepts under <out>/<n>/.

Modes: open (anyone may send), login (AUTH as alice/secret required),
refuse (every recipient is refused), starttls (STARTTLS required before anything else),
tls (TLS from the first byte). The TLS modes make a certificate for 127.0.0.1 first and
leave it as <out>/server.pem."""
import asyncio
import email
import email.policy
import os
import ssl
import subprocess
import sys

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

out, mode = sys.argv[1], sys.argv[2]
received = 0
logins = []


class Saver:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if mode == "refuse":
            return "550 5.1.1 No such mailbox here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        global received
        received += 1
        folder = os.path.join(out, ".incoming")
        os.makedirs(folder)
        message = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
        summary = [
            "from=" + envelope.mail_from,
            "rcpt=" + ",".join(envelope.rcpt_tos),
            "login=" + (logins[-1] if logins else ""),
            "subject=" + str(message["Subject"]),
            "to=" + str(message["To"]),
        ]
        number = 0
        for part in message.walk():
            if part.is_multipart():
                continue
            name = part.get_filename()
            if name is None:
                summary.append("text=" + part.get_content())
                continue
            number += 1
            summary.append("attachment=" + name)
            with open(os.path.join(folder, "attachment%d" % number), "wb") as f:
                f.write(part.get_payload(decode=True))
        with open(os.path.join(folder, "summary"), "w", encoding="utf-8") as f:
            f.write("\n".join(summary) + "\n")
        os.rename(folder, os.path.join(out, str(received)))
        return "250 Message accepted"


def authenticate(server, session, envelope, mechanism, data):
    if isinstance(data, LoginPassword) and data.login == b"alice" and data.password == b"secret":
        logins.append("alice")
        return AuthResult(success=True)
    return AuthResult(success=False, handled=False)


def tls_context():
    cert, key = os.path.join(out, "server.pem"), os.path.join(out, "server.key")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                    "-keyout", key, "-out", cert], check=True, capture_output=True)
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


async def main():
    options, listen = {}, {}
    if mode == "login":
        options = dict(authenticator=authenticate, auth_required=True, auth_require_tls=False)
    elif mode == "starttls":
        options = dict(tls_context=tls_context(), require_starttls=True)
    elif mode == "tls":
        listen = dict(ssl=tls_context())
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(Saver(), **options), "127.0.0.1", 0, **listen)
    port = server.sockets[0].getsockname()[1]
    with open(os.path.join(out, ".port"), "w") as f:
        f.write(str(port))
    os.rename(os.path.join(out, ".port"), os.path.join(out, "port"))
    async with server:
        await server.serve_forever()


asyncio.run(main())
