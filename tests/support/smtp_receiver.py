#!/usr/bin/python3
# An SMTP server on 127.0.0.1 for tests (python3-aiosmtpd): prints "PORT <n>", then a JSON line per
# message. "refuse…" recipients get a 550, "busy…" a 451; the password is "secret-pass". Ends with stdin.
import json
import socket
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword
from email import message_from_bytes, policy


class Handler:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refuse"):
            return "550 5.1.1 No such mailbox"
        if address.startswith("busy"):
            return "451 4.3.0 Try again later"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        message = message_from_bytes(envelope.content, policy=policy.default)
        print(json.dumps({
            "from": envelope.mail_from,
            "to": envelope.rcpt_tos,
            "authenticated": bool(session.authenticated),
            "subject": str(message["subject"]),
            "rawSubject": envelope.content.decode("ascii", "replace").split("Subject: ", 1)[1].split("\r\nMessage-ID")[0],
            "messageId": str(message["message-id"]),
            "contentType": message.get_content_type(),
            "body": message.get_content(),
        }), flush=True)
        return "250 Message accepted"


def authenticate(server, session, envelope, mechanism, auth_data):
    return AuthResult(success=isinstance(auth_data, LoginPassword) and auth_data.password == b"secret-pass",
                      handled=False)


with socket.socket() as probe:
    probe.bind(("127.0.0.1", 0))
    port = probe.getsockname()[1]
controller = Controller(Handler(), hostname="127.0.0.1", port=port, authenticator=authenticate,
                        auth_require_tls=False)
controller.start()
print("PORT", port, flush=True)
sys.stdin.read()
controller.stop()
