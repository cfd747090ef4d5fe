#include "OdbcCalls.h"

#include <cstdint>
#include <dlfcn.h>

namespace {

constexpr int kQueryTimeout = 0;            // SQL_ATTR_QUERY_TIMEOUT
constexpr int kConnectionDead = 1209;       // SQL_ATTR_CONNECTION_DEAD
constexpr int kIsUInteger = -5;             // SQL_IS_UINTEGER
constexpr std::uint32_t kDeadTrue = 1;      // SQL_CD_TRUE

void *odbcFunction(const char *name)
{
    static void *const lib = dlopen("libodbc.so.2", RTLD_NOW | RTLD_NOLOAD);
    return lib ? dlsym(lib, name) : nullptr;
}

bool succeeded(short rc)
{
    return rc == 0 || rc == 1;  // SQL_SUCCESS, SQL_SUCCESS_WITH_INFO
}

}  // namespace

void odbcSetQueryTimeout(void *statementHandle, int seconds)
{
    using SetStmtAttr = short (*)(void *, int, void *, int);
    static const auto setAttr = reinterpret_cast<SetStmtAttr>(odbcFunction("SQLSetStmtAttr"));
    if (setAttr && statementHandle)
        setAttr(statementHandle, kQueryTimeout,
                reinterpret_cast<void *>(static_cast<std::uintptr_t>(seconds > 0 ? seconds : 0)), kIsUInteger);
}

bool odbcConnectionDead(void *connectionHandle)
{
    using GetConnectAttr = short (*)(void *, int, void *, int, int *);
    static const auto getAttr = reinterpret_cast<GetConnectAttr>(odbcFunction("SQLGetConnectAttr"));
    if (!getAttr || !connectionHandle)
        return false;
    std::uint32_t dead = 0;  // SQLUINTEGER
    return succeeded(getAttr(connectionHandle, kConnectionDead, &dead, kIsUInteger, nullptr)) && dead == kDeadTrue;
}

char *odbcStatementState(void *statementHandle, char (&state)[6])
{
    using GetDiagRec = short (*)(short, void *, short, unsigned char *, int *, unsigned char *, short, short *);
    static const auto getDiag = reinterpret_cast<GetDiagRec>(odbcFunction("SQLGetDiagRec"));
    state[0] = 0;
    unsigned char s[6] = {0};
    int native = 0;
    short length = 0;
    constexpr short kHandleStmt = 3;  // SQL_HANDLE_STMT
    if (getDiag && statementHandle && succeeded(getDiag(kHandleStmt, statementHandle, 1, s, &native, nullptr, 0, &length)))
        for (int i = 0; i < 6; ++i)
            state[i] = char(s[i]);
    state[5] = 0;
    return state;
}
