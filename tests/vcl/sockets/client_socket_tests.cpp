#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "vcl/scktcomp.h"
#include "win32/kernel.h"
#include "win32/user.h"

namespace {

using namespace vcl;

// A listening socket on 127.0.0.1 and the connection it accepts, driven by the test itself.
class LoopbackServer {
public:
    LoopbackServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(listener_, 4), 0);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackServer() {
        if (peer_ >= 0) close(peer_);
        close(listener_);
    }
    int Port() const { return port_; }
    int Accept() { return peer_ = accept(listener_, nullptr, nullptr); }
    void Send(const std::string& bytes) {
        ASSERT_EQ(send(peer_, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    }
    std::string Receive(size_t size) {
        std::string bytes;
        while (bytes.size() < size) {
            char chunk[65536];
            ssize_t got = recv(peer_, chunk, std::min(sizeof chunk, size - bytes.size()), 0);
            if (got <= 0) break;
            bytes.append(chunk, static_cast<size_t>(got));
        }
        return bytes;
    }
    void ClosePeer() {
        close(peer_);
        peer_ = -1;
    }

private:
    int listener_ = -1;
    int peer_ = -1;
    int port_ = 0;
};

class ClientSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        win32::testing::ResetPlatform();
        client.reset(new TClientSocket(nullptr));
        client->SetAddress("127.0.0.1");
        client->SetPort(server.Port());
        client->SetClientType(ctBlocking);
        client->OnLookup = [this](TObject*, TCustomWinSocket*) { events.push_back("Lookup"); };
        client->OnConnecting = [this](TObject*, TCustomWinSocket*) { events.push_back("Connecting"); };
        client->OnConnect = [this](TObject* sender, TCustomWinSocket* socket) {
            EXPECT_EQ(sender, client.get());
            EXPECT_EQ(socket, client->Socket());
            events.push_back("Connect");
        };
        client->OnDisconnect = [this](TObject*, TCustomWinSocket*) { events.push_back("Disconnect"); };
        client->OnError = [this](TObject*, TCustomWinSocket*, TErrorEvent event, Integer& code) {
            events.push_back(std::string("Error ") + std::string(EnumName(event)) + " " +
                             std::to_string(code));
        };
    }
    void TearDown() override {
        client.reset();
        win32::testing::ResetPlatform();
    }

    LoopbackServer server;
    TComponentPtr<TClientSocket> client;
    std::vector<std::string> events;
};

std::string Join(const std::vector<std::string>& items) {
    std::string result;
    for (const auto& item : items)
        result += (result.empty() ? "" : "|") + item;
    return result;
}

TEST_F(ClientSocketTest, OpenConnectsWithItsNotificationsAndCloseDisconnectsOnce) {
    client->Open();
    EXPECT_TRUE(client->Active());
    EXPECT_EQ(client->Socket()->RemotePort(), server.Port());
    EXPECT_EQ(client->Socket()->RemoteAddress(), "127.0.0.1");
    EXPECT_EQ(client->Socket()->LocalAddress(), "127.0.0.1");
    EXPECT_GT(client->Socket()->LocalPort(), 0);
    EXPECT_FALSE(client->Socket()->LocalHost().empty());
    client->Close();
    client->Close();
    EXPECT_FALSE(client->Active());
    EXPECT_EQ(Join(events), "Lookup|Connecting|Connect|Disconnect");
}

TEST_F(ClientSocketTest, RefusedConnectionGoesToOnErrorThenRaises) {
    int port = server.Port();
    {
        LoopbackServer other;
        port = other.Port();
    }
    client->SetPort(port);
    try {
        client->Open();
        FAIL() << "no exception";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.ErrorCode(), WSAECONNREFUSED);
        EXPECT_EQ(e.Message(),
                  "Windows socket error: No connection could be made because the target machine "
                  "actively refused it (10061), on API 'connect'");
    }
    EXPECT_EQ(Join(events), "Lookup|Connecting|Error eeConnect 10061");
    EXPECT_FALSE(client->Active());
}

TEST_F(ClientSocketTest, HandlerThatClearsTheErrorCodeSuppressesTheException) {
    client->SetAddress("");
    client->SetHost("no-such-host.invalid");
    client->OnError = [this](TObject*, TCustomWinSocket*, TErrorEvent, Integer& code) {
        events.push_back("Error " + std::to_string(code));
        code = 0;
    };
    EXPECT_NO_THROW(client->Open());
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(events.back() == "Error 11001" || events.back() == "Error 11002") << events.back();
    EXPECT_FALSE(client->Active());
}

TEST_F(ClientSocketTest, PropertiesCannotChangeWhileActive) {
    client->Open();
    EXPECT_THROW(client->SetPort(1), ESocketError);
    EXPECT_THROW(client->SetHost("elsewhere"), ESocketError);
    EXPECT_THROW(client->SetClientType(ctNonBlocking), ESocketError);
    client->Close();
    EXPECT_NO_THROW(client->SetPort(1));
}

TEST_F(ClientSocketTest, SendTextAndReceiveTextMoveEveryByteIncludingNul) {
    client->Open();
    ASSERT_GE(server.Accept(), 0);
    std::string text("line\0with nul\r\n", 15);
    EXPECT_EQ(client->Socket()->SendText(text), 15);
    EXPECT_EQ(server.Receive(15), text);
    server.Send(text);
    TWinSocketStream stream(client->Socket(), 1000);
    ASSERT_TRUE(stream.WaitForData(1000));
    EXPECT_EQ(client->Socket()->ReceiveLength(), 15);
    EXPECT_EQ(client->Socket()->ReceiveText(), text);
    EXPECT_EQ(client->Socket()->ReceiveText(), "");
}

TEST_F(ClientSocketTest, StreamWaitsReadsAndTellsAPeerThatClosed) {
    client->Open();
    ASSERT_GE(server.Accept(), 0);
    TWinSocketStream stream(client->Socket(), 5);
    EXPECT_FALSE(stream.WaitForData(1));
    char buffer[8];
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0);  // time ran out
    EXPECT_FALSE(stream.PeerClosed());
    server.Send("0123456789");
    ASSERT_TRUE(stream.WaitForData(1000));
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 8);
    EXPECT_EQ(std::string(buffer, 8), "01234567");
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 2);
    server.ClosePeer();
    ASSERT_TRUE(stream.WaitForData(1000));
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0);
    EXPECT_TRUE(stream.PeerClosed());
    EXPECT_EQ(stream.Seek(10, soBeginning), 0);
}

TEST_F(ClientSocketTest, StreamWritesEverythingAcrossFullBuffers) {
    client->Open();
    ASSERT_GE(server.Accept(), 0);
    std::string data(8 << 20, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 131 + (i >> 9));
    TWinSocketStream stream(client->Socket(), 5000);
    // The reader drains on its own thread while the writer waits for room.
    std::string received;
    std::thread reader([&] { received = server.Receive(data.size()); });
    EXPECT_EQ(stream.Write(data.data(), static_cast<Int64>(data.size())), static_cast<Int64>(data.size()));
    reader.join();
    EXPECT_TRUE(received == data);
}

TEST_F(ClientSocketTest, StreamWriteThatMakesNoProgressReturnsWhatWentOut) {
    client->Open();
    ASSERT_GE(server.Accept(), 0);
    TWinSocketStream stream(client->Socket(), 5);
    std::string data(64 << 20, 'x');  // more than the socket buffers hold
    Int64 written = stream.Write(data.data(), static_cast<Int64>(data.size()));
    EXPECT_GT(written, 0);
    EXPECT_LT(written, static_cast<Int64>(data.size()));
}

TEST_F(ClientSocketTest, WritingToAPeerThatClosedReportsASendErrorWithoutSigpipe) {
    client->Open();
    ASSERT_GE(server.Accept(), 0);
    server.ClosePeer();
    TWinSocketStream stream(client->Socket(), 100);
    std::string data(1 << 20, 'x');
    EXPECT_THROW(
        {
            for (int i = 0; i < 50; ++i)
                stream.Write(data.data(), static_cast<Int64>(data.size()));
        },
        ESocketError);
    ASSERT_FALSE(events.empty());
    EXPECT_TRUE(events.back() == "Error eeSend 10054" || events.back() == "Error eeSend 10058")
        << events.back();
}

TEST_F(ClientSocketTest, StreamNeedsABlockingSocket) {
    client->SetClientType(ctNonBlocking);
    EXPECT_THROW(TWinSocketStream(client->Socket(), 10), ESocketError);
    try {
        TWinSocketStream stream(client->Socket(), 10);
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.Message(), "Socket must be in blocking mode");
    }
}

TEST_F(ClientSocketTest, ClosedConnectionReadsAndWaitsNothing) {
    client->Open();
    TWinSocketStream stream(client->Socket(), 10);
    client->Close();
    char buffer[4];
    EXPECT_FALSE(stream.WaitForData(10));
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    EXPECT_THROW(stream.Write("abc", 3), ESocketError);
    EXPECT_EQ(Join(events), "Lookup|Connecting|Connect|Disconnect|Error eeSend 10057");
}

TEST_F(ClientSocketTest, NonBlockingClientHearsOfDataAndOfThePeerClosingThroughTimers) {
    win32::testing::UseManualClock(win32::SYSTEMTIME{2024, 1, 0, 1, 0, 0, 0, 0});
    client->SetClientType(ctNonBlocking);
    std::string read;
    client->OnRead = [&](TObject*, TCustomWinSocket* socket) {
        events.push_back("Read");
        read += socket->ReceiveText();
    };
    client->Open();
    ASSERT_GE(server.Accept(), 0);
    auto pump = [] {
        win32::testing::AdvanceClock(20);
        win32::MSG msg;
        while (win32::PeekMessage(&msg, nullptr, 0, 0, win32::PM_REMOVE))
            win32::DispatchMessage(&msg);
    };
    pump();
    EXPECT_EQ(Join(events), "Lookup|Connecting|Connect");
    server.Send("hello");
    pump();
    EXPECT_EQ(read, "hello");
    server.ClosePeer();
    pump();
    EXPECT_EQ(Join(events), "Lookup|Connecting|Connect|Read|Disconnect");
    EXPECT_FALSE(client->Active());
}

TEST_F(ClientSocketTest, SocketErrorsMapFromTheSystem) {
    EXPECT_EQ(SocketErrorFromErrno(ECONNREFUSED), WSAECONNREFUSED);
    EXPECT_EQ(SocketErrorFromErrno(ETIMEDOUT), WSAETIMEDOUT);
    EXPECT_EQ(SocketErrorFromErrno(EPIPE), WSAESHUTDOWN);
    EXPECT_EQ(SocketErrorFromErrno(ECONNRESET), WSAECONNRESET);
    EXPECT_EQ(SocketErrorText(12345), "Unknown socket error 12345");
}

}  // namespace
