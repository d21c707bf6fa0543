#include "net/socket_codes.h"

#include <netdb.h>

#include <cerrno>

namespace velmora::net {

int socketCodeForErrno(int errnoValue) {
    switch (errnoValue) {
        case 0:
            return 0;
        case EINTR:
            return 10004;
        case EBADF:
            return 10009;
        case EACCES:
            return 10013;
        case EPERM:
            return 10013;
        case EFAULT:
            return 10014;
        case EINVAL:
            return 10022;
        case EMFILE:
            return 10024;
        case ENFILE:
            return 10024;
        case EAGAIN:
            return 10035;
        case EINPROGRESS:
            return 10036;
        case EALREADY:
            return 10037;
        case ENOTSOCK:
            return 10038;
        case EDESTADDRREQ:
            return 10039;
        case EMSGSIZE:
            return 10040;
        case EPROTOTYPE:
            return 10041;
        case ENOPROTOOPT:
            return 10042;
        case EPROTONOSUPPORT:
            return 10043;
        case ESOCKTNOSUPPORT:
            return 10044;
        case EOPNOTSUPP:
            return 10045;
        case EPFNOSUPPORT:
            return 10046;
        case EAFNOSUPPORT:
            return 10047;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case ENETRESET:
            return 10052;
        case ECONNABORTED:
            return 10053;
        case ECONNRESET:
            return 10054;
        case EPIPE:
            return 10054;  // writing to a connection the peer has reset
        case ENOBUFS:
            return 10055;
        case ENOMEM:
            return 10055;
        case EISCONN:
            return 10056;
        case ENOTCONN:
            return 10057;
        case ESHUTDOWN:
            return 10058;
        case ETOOMANYREFS:
            return 10059;
        case ETIMEDOUT:
            return 10060;
        case ECONNREFUSED:
            return 10061;
        case ELOOP:
            return 10062;
        case ENAMETOOLONG:
            return 10063;
        case EHOSTDOWN:
            return 10064;
        case EHOSTUNREACH:
            return 10065;
        case ENOTEMPTY:
            return 10066;
        case EUSERS:
            return 10068;
        case EDQUOT:
            return 10069;
        case ESTALE:
            return 10070;
        case EREMOTE:
            return 10071;
        default:
            return errnoValue;
    }
}

int socketCodeForLookup(int gaiResult, int errnoValue) {
    switch (gaiResult) {
        case 0:
            return 0;
        case EAI_NONAME:
            return kCodeHostNotFound;
        case EAI_AGAIN:
            return kCodeTryAgain;
        case EAI_FAIL:
            return kCodeNonRecoverable;
#ifdef EAI_NODATA
        case EAI_NODATA:
            return kCodeNoData;
#endif
#ifdef EAI_ADDRFAMILY
        case EAI_ADDRFAMILY:
            return kCodeNoData;
#endif
        case EAI_FAMILY:
            return 10047;
        case EAI_MEMORY:
            return 10055;
        case EAI_SYSTEM: {
            const int code = socketCodeForErrno(errnoValue);
            return code != 0 ? code : kCodeHostNotFound;
        }
        default:
            return kCodeHostNotFound;
    }
}

}  // namespace velmora::net
