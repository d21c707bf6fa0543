#include "support/servers/test_certificates.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "support/temp_dir.h"

namespace velmora::testing {
namespace fs = std::filesystem;

namespace {

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// A certificate authority of `openssl ca`, in a folder of its own.
std::string caConfig(const fs::path& dir) {
    return "[ ca ]\ndefault_ca = test\n[ test ]\ndir = " + dir.string() +
           "\ndatabase = $dir/index.txt\nnew_certs_dir = $dir\ncertificate = $dir/ca.pem\n"
           "private_key = $dir/ca.key\nserial = $dir/serial\ndefault_md = sha256\n"
           "policy = anything\ncopy_extensions = copy\nunique_subject = no\n"
           "x509_extensions = server\n[ anything ]\ncommonName = supplied\n"
           "[ server ]\nbasicConstraints = critical,CA:FALSE\n"
           "keyUsage = critical,digitalSignature,keyEncipherment\n"
           "extendedKeyUsage = serverAuth\n"
           "[ req ]\ndistinguished_name = name\nprompt = no\n[ name ]\nCN = unused\n"
           "[ ca_extensions ]\nbasicConstraints = critical,CA:TRUE\n"
           "keyUsage = critical,keyCertSign,cRLSign\nsubjectKeyIdentifier = hash\n";
}

}  // namespace

TestCertificates::TestCertificates(fs::path folder) : folder_(std::move(folder)) {
    fs::create_directories(folder_);
    if (std::system("openssl version >/dev/null 2>&1") != 0) {
        error_ = "the openssl command line is not installed";
        return;
    }
    if (makeCa("ca") && makeCa("unknown-ca")) caCertificate_ = folder_ / "ca" / "ca.pem";
}

bool TestCertificates::run(const std::string& command) {
    const std::string log = (folder_ / "openssl.log").string();
    if (std::system((command + " >>'" + log + "' 2>&1").c_str()) == 0) return true;
    error_ = "openssl failed: " + command + "\n" + readFile(folder_ / "openssl.log");
    return false;
}

bool TestCertificates::makeCa(const std::string& name) {
    const fs::path dir = folder_ / name;
    fs::create_directories(dir);
    writeFile(dir / "ca.cnf", caConfig(dir));
    writeFile(dir / "index.txt", "");
    writeFile(dir / "serial", "1000\n");
    return run("openssl req -x509 -config " + quoted(dir / "ca.cnf") +
               " -extensions ca_extensions -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes"
               " -keyout " +
               quoted(dir / "ca.key") + " -out " + quoted(dir / "ca.pem") +
               " -days 30 -subj '/CN=Velmora " + name + "'");
}

ServerCertificate TestCertificates::issue(const std::string& name,
                                          const std::vector<std::string>& hosts, Issuer issuer,
                                          bool expired) {
    const fs::path dir = folder_ / (issuer == Issuer::TestCa ? "ca" : "unknown-ca");
    ServerCertificate made{folder_ / (name + ".pem"), folder_ / (name + ".key")};
    std::string names;
    for (const std::string& host : hosts) {
        const bool address =
            host.find_first_not_of("0123456789.:abcdef") == std::string::npos &&
            (host.find('.') != std::string::npos || host.find(':') != std::string::npos);
        names += (names.empty() ? "" : ",") + std::string(address ? "IP:" : "DNS:") + host;
    }
    if (issuer == Issuer::Itself) {
        if (!run("openssl req -x509 -config " + quoted(dir / "ca.cnf") +
                 " -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " + quoted(made.key) +
                 " -out " + quoted(made.certificate) + " -days 30 -subj '/CN=" + hosts.front() +
                 "' -addext 'subjectAltName=" + names + "'"))
            return {};
        return made;
    }
    const fs::path request = folder_ / (name + ".csr");
    const std::string validity =
        expired ? " -startdate 20200101000000Z -enddate 20200201000000Z" : " -days 30";
    if (!run("openssl req -new -config " + quoted(dir / "ca.cnf") +
             " -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout " + quoted(made.key) +
             " -out " + quoted(request) + " -subj '/CN=" + hosts.front() +
             "' -addext 'subjectAltName=" + names + "'") ||
        !run("openssl ca -batch -notext -config " + quoted(dir / "ca.cnf") + " -in " +
             quoted(request) + " -out " + quoted(made.certificate) + validity))
        return {};
    return made;
}

std::string certificateFingerprint(const fs::path& certificate) {
    const std::string command =
        "openssl x509 -noout -fingerprint -sha256 -in '" + certificate.string() + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return {};
    char buffer[256] = {};
    std::string text;
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    ::pclose(pipe);
    // "sha256 Fingerprint=AB:CD:...\n"
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return {};
    text = text.substr(equals + 1);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace velmora::testing
