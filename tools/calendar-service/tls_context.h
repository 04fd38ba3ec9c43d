#pragma once
// The server side of TLS: one OpenSSL context with the certificate and key the HTTPS listener
// presents. Either loaded from PEM files or made at start as a self-signed certificate for
// localhost and 127.0.0.1, which a client trusts by pinning its SHA-256 digest.
#include <memory>
#include <string>

struct ssl_ctx_st;
struct ssl_st;

namespace tessel::service {

struct SslCtxDeleter {
    void operator()(ssl_ctx_st* context) const noexcept;
};
struct SslDeleter {
    void operator()(ssl_st* ssl) const noexcept;
};
using SslHandle = std::unique_ptr<ssl_st, SslDeleter>;

// A certificate and its private key, both as PEM texts.
struct PemIdentity {
    std::string certificate;
    std::string privateKey;
};

// A fresh RSA 2048 key and a self-signed certificate naming localhost, 127.0.0.1 and the given
// extra host name (if not empty), valid from a day ago for two years; or, expired, valid from
// three days ago until yesterday. Raises EError on failure.
PemIdentity MakeSelfSignedIdentity(const std::string& extraHostName, bool expired = false);

class TlsContext {
public:
    explicit TlsContext(const PemIdentity& identity);
    // Raises EError naming the file when the certificate or the key cannot be used.
    static TlsContext FromFiles(const std::string& certificateFile, const std::string& keyFile);

    // A new server-side session on this context.
    SslHandle NewSession() const;
    // The SHA-256 digest of the certificate's DER bytes, in lower-case hex.
    std::string CertificateDigest() const;

private:
    TlsContext() = default;
    std::unique_ptr<ssl_ctx_st, SslCtxDeleter> context_;
};

// The text of OpenSSL's most recent error (and clears its queue), for messages.
std::string LastTlsError();

}  // namespace tessel::service
