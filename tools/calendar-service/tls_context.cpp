#include "tls_context.h"

#include <array>
#include <cctype>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/sha256.h"
#include "base/text.h"

namespace tessel::service {

void SslCtxDeleter::operator()(ssl_ctx_st* context) const noexcept { SSL_CTX_free(context); }
void SslDeleter::operator()(ssl_st* ssl) const noexcept { SSL_free(ssl); }

namespace {

struct BioDeleter {
    void operator()(BIO* bio) const noexcept { BIO_free(bio); }
};
struct KeyDeleter {
    void operator()(EVP_PKEY* key) const noexcept { EVP_PKEY_free(key); }
};
struct X509Deleter {
    void operator()(X509* certificate) const noexcept { X509_free(certificate); }
};
struct ExtensionDeleter {
    void operator()(X509_EXTENSION* extension) const noexcept { X509_EXTENSION_free(extension); }
};
using BioHandle = std::unique_ptr<BIO, BioDeleter>;
using KeyHandle = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using X509Handle = std::unique_ptr<X509, X509Deleter>;

[[noreturn]] void RaiseTls(const std::string& what) { throw EError(what + ": " + LastTlsError()); }

std::string BioText(BIO* bio) {
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    return std::string(data, static_cast<size_t>(length));
}

void AddExtension(X509* certificate, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    std::unique_ptr<X509_EXTENSION, ExtensionDeleter> extension(
        X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str()));
    if (!extension || !X509_add_ext(certificate, extension.get(), -1)) RaiseTls("cannot add a certificate extension");
}

// Host names that may stand in a subjectAltName entry: letters, digits, dots and hyphens.
bool IsPlainHostName(const std::string& name) {
    if (name.empty() || name.size() > 253) return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-')) return false;
    return true;
}

}  // namespace

std::string LastTlsError() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) return "no details";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

PemIdentity MakeSelfSignedIdentity(const std::string& extraHostName, bool expired) {
    KeyHandle key(EVP_RSA_gen(2048));
    if (!key) RaiseTls("cannot make an RSA key");
    X509Handle certificate(X509_new());
    if (!certificate) RaiseTls("cannot make a certificate");
    X509_set_version(certificate.get(), 2);  // version 3: needed for subjectAltName
    unsigned char serial[8];
    RAND_bytes(serial, sizeof serial);
    serial[0] &= 0x7F;  // a positive serial number
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate.get()));
    BN_free(number);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), (expired ? -3L : -1L) * 24 * 3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), expired ? -24L * 3600 : 2L * 365 * 24 * 3600);
    X509_set_pubkey(certificate.get(), key.get());
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("localhost"), -1,
                               -1, 0);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Local calendar service"), -1, -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    std::string altNames = "DNS:localhost,IP:127.0.0.1";
    if (IsPlainHostName(extraHostName) && extraHostName != "localhost") altNames += ",DNS:" + extraHostName;
    AddExtension(certificate.get(), NID_subject_alt_name, altNames);
    AddExtension(certificate.get(), NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(certificate.get(), NID_ext_key_usage, "serverAuth");
    if (!X509_sign(certificate.get(), key.get(), EVP_sha256())) RaiseTls("cannot sign the certificate");

    BioHandle certificateText(BIO_new(BIO_s_mem()));
    BioHandle keyText(BIO_new(BIO_s_mem()));
    if (!certificateText || !keyText || !PEM_write_bio_X509(certificateText.get(), certificate.get()) ||
        !PEM_write_bio_PrivateKey(keyText.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr))
        RaiseTls("cannot write the certificate");
    return {BioText(certificateText.get()), BioText(keyText.get())};
}

TlsContext::TlsContext(const PemIdentity& identity) {
    context_.reset(SSL_CTX_new(TLS_server_method()));
    if (!context_) RaiseTls("cannot make a TLS context");
    BioHandle certificateText(BIO_new_mem_buf(identity.certificate.data(), static_cast<int>(identity.certificate.size())));
    BioHandle keyText(BIO_new_mem_buf(identity.privateKey.data(), static_cast<int>(identity.privateKey.size())));
    X509Handle certificate(PEM_read_bio_X509(certificateText.get(), nullptr, nullptr, nullptr));
    if (!certificate) RaiseTls("the certificate is not a PEM certificate");
    KeyHandle key(PEM_read_bio_PrivateKey(keyText.get(), nullptr, nullptr, nullptr));
    if (!key) RaiseTls("the key is not a PEM private key");
    if (SSL_CTX_use_certificate(context_.get(), certificate.get()) != 1) RaiseTls("cannot use the certificate");
    if (SSL_CTX_use_PrivateKey(context_.get(), key.get()) != 1) RaiseTls("cannot use the key");
    if (SSL_CTX_check_private_key(context_.get()) != 1) RaiseTls("the key does not belong to the certificate");
    SSL_CTX_set_mode(context_.get(), SSL_MODE_AUTO_RETRY);
}

TlsContext TlsContext::FromFiles(const std::string& certificateFile, const std::string& keyFile) {
    PemIdentity identity;
    identity.certificate = ReadFileBytes(Utf8ToUtf16(certificateFile));
    identity.privateKey = ReadFileBytes(Utf8ToUtf16(keyFile));
    try {
        return TlsContext(identity);
    } catch (const EError& error) {
        throw EError(certificateFile + " / " + keyFile + ": " + error.what());
    }
}

std::string TlsContext::CertificateDigest() const {
    X509* certificate = SSL_CTX_get0_certificate(context_.get());
    std::array<uint8_t, 32> digest{};
    unsigned int size = 0;
    if (!certificate || X509_digest(certificate, EVP_sha256(), digest.data(), &size) != 1 || size != digest.size())
        RaiseTls("cannot take the certificate's digest");
    return DigestHex(digest);
}

SslHandle TlsContext::NewSession() const {
    SslHandle session(SSL_new(context_.get()));
    if (!session) RaiseTls("cannot start a TLS session");
    return session;
}

}  // namespace tessel::service
