#pragma once
// A plain HTTP client for the live server tests: raw requests over one
// kept-alive loopback connection, so a test controls every byte it sends.
#include <QElapsedTimer>
#include <QTcpSocket>
#include <string>

namespace velgram::testing {

struct LiveAnswer {
  int status = 0;  // 0: the connection ended without an answer
  std::string head, body;
  std::string Header(const std::string& name) const {
    const size_t at = head.find("\r\n" + name + ": "), from = at + name.size() + 4;
    return at == std::string::npos ? "" : head.substr(from, head.find("\r\n", from) - from);
  }
};

class LiveClient {
 public:
  explicit LiveClient(quint16 port, const QHostAddress& host = QHostAddress(QHostAddress::LocalHost)) {
    socket.connectToHost(host, port);
    socket.waitForConnected(2000);
  }
  bool Connected() const { return socket.state() == QAbstractSocket::ConnectedState; }

  void Send(const std::string& bytes) {
    socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket.waitForBytesWritten(2000);
  }
  LiveAnswer Get(const std::string& path, const std::string& extraHeaders = "") {
    Send("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n");
    return Receive();
  }
  // An entry as a table's page sends it.
  LiveAnswer PostEntry(const std::string& token, const std::string& json) {
    Send("POST /tafel/uitslag HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nCookie: velgram_tafel=" + token +
         "\r\nContent-Length: " + std::to_string(json.size()) + "\r\n\r\n" + json);
    return Receive();
  }
  // The next answer; status 0 when the server closed the connection first.
  LiveAnswer Receive(int ms = 3000) {
    QElapsedTimer waited;
    waited.start();
    for (LiveAnswer a; waited.elapsed() < ms; socket.waitForReadyRead(50)) {
      buffer += socket.readAll().toStdString();
      const size_t end = buffer.find("\r\n\r\n");
      if (end != std::string::npos) {
        a.head = buffer.substr(0, end + 2);
        const size_t length = std::stoul("0" + a.Header("Content-Length"));
        if (buffer.size() >= end + 4 + length) {
          a.status = std::stoi(a.head.substr(9, 3));
          a.body = buffer.substr(end + 4, length);
          buffer.erase(0, end + 4 + length);
          return a;
        }
      }
      if (!Connected()) return LiveAnswer{};
    }
    return LiveAnswer{};
  }
  // Waits for the server to close the connection; true when it did.
  bool Closed(int ms = 3000) {
    QElapsedTimer waited;
    waited.start();
    for (; Connected() && waited.elapsed() < ms; socket.waitForReadyRead(20)) buffer += socket.readAll().toStdString();
    return !Connected();
  }

  QTcpSocket socket;
  std::string buffer;
};

}  // namespace velgram::testing
