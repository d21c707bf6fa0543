// The socket error codes the program reports ("[10061] Connection refused"), and how Linux
// errno values and host-lookup results map onto them. The texts themselves live in the
// numbered-text table of the message-format module.
#pragma once

namespace velmora::net {

inline constexpr int kCodeWouldBlock = 10035;
inline constexpr int kCodeAlreadyInProgress = 10037;
inline constexpr int kCodeConnectionReset = 10054;
inline constexpr int kCodeConnectionRefused = 10061;
inline constexpr int kCodeHostNotFound = 11001;
inline constexpr int kCodeTryAgain = 11002;
inline constexpr int kCodeNonRecoverable = 11003;
inline constexpr int kCodeNoData = 11004;

// The code for a Linux errno value of a socket call: ECONNREFUSED gives 10061, ENETUNREACH
// 10051, EHOSTUNREACH 10065 and so on. An errno without a counterpart is returned unchanged, so
// the report reads "Error #" and the number rather than naming a wrong cause; 0 stays 0.
int socketCodeForErrno(int errnoValue);

// The code for a getaddrinfo() result (EAI_NONAME gives 11001 "Host not found", EAI_AGAIN
// 11002, EAI_FAIL 11003, no address of the family 11004); EAI_SYSTEM maps `errnoValue`.
int socketCodeForLookup(int gaiResult, int errnoValue);

}  // namespace velmora::net
