# The web server of browsers-test.sh, on a free port of 127.0.0.1: "/" sets a host cookie
# and a Domain cookie for the registrable name asked for; every answer may be cached, and
# every request is logged with the cookies it carried.
# Usage: cookie-server.py REQUEST_LOG PORT_FILE
import http.server, sys
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        host = self.headers.get("Host", "").split(":")[0]
        print(f"{host} {self.path} cookies={self.headers.get('Cookie', '')}", file=open(sys.argv[1], "a"))
        self.send_response(200)
        self.send_header("Cache-Control", "max-age=86400")
        if self.path == "/":
            site = ".".join(host.split(".")[-2:])
            self.send_header("Set-Cookie", f"host_{host.split('.')[0]}=1; Max-Age=86400")
            self.send_header("Set-Cookie", f"dom_{site.split('.')[0]}=1; Max-Age=86400; Domain={site}")
        self.end_headers()
        self.wfile.write(f"<html><body>{host}</body></html>".encode())
    def log_message(self, *args): pass
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
open(sys.argv[2], "w").write(str(server.server_port))
server.serve_forever()
