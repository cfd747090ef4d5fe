// The few libpq calls the runtime makes on a connection that Qt's
// PostgreSQL driver opened (its transaction status, its notifications).
// The runtime does not link libpq: a program that never connects to
// PostgreSQL never loads it, nor the TLS, Kerberos and LDAP libraries it
// brings, which would be about half of a short command's start-up. By the
// time the runtime holds a PGconn the driver has loaded libpq, and these
// definitions reach it there. They stay inside the program or library that
// holds the runtime (hidden), so the driver's own calls never come here.

#pragma GCC visibility push(hidden)
#include <libpq-fe.h>
#pragma GCC visibility pop

#include <dlfcn.h>

namespace {

void *libpq()
{
    static void *const handle = [] {
        void *h = dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD);
        return h ? h : dlopen("libpq.so.5", RTLD_NOW);
    }();
    return handle;
}

template <typename F>
F *real(const char *name)
{
    void *h = libpq();
    return h ? reinterpret_cast<F *>(dlsym(h, name)) : nullptr;
}

}  // namespace

// Each call falls back to what a lost connection answers when libpq
// cannot be reached.
extern "C" {

ConnStatusType PQstatus(const PGconn *conn)
{
    static auto *const f = real<decltype(PQstatus)>("PQstatus");
    return f ? f(conn) : CONNECTION_BAD;
}

PGTransactionStatusType PQtransactionStatus(const PGconn *conn)
{
    static auto *const f = real<decltype(PQtransactionStatus)>("PQtransactionStatus");
    return f ? f(conn) : PQTRANS_UNKNOWN;
}

char *PQcmdStatus(PGresult *res)
{
    static auto *const f = real<decltype(PQcmdStatus)>("PQcmdStatus");
    static char vazio[] = "";
    return f ? f(res) : vazio;
}

int PQbackendPID(const PGconn *conn)
{
    static auto *const f = real<decltype(PQbackendPID)>("PQbackendPID");
    return f ? f(conn) : 0;
}

int PQconsumeInput(PGconn *conn)
{
    static auto *const f = real<decltype(PQconsumeInput)>("PQconsumeInput");
    return f ? f(conn) : 0;
}

char *PQerrorMessage(const PGconn *conn)
{
    static auto *const f = real<decltype(PQerrorMessage)>("PQerrorMessage");
    static char vazio[] = "";
    return f ? f(conn) : vazio;
}

PGnotify *PQnotifies(PGconn *conn)
{
    static auto *const f = real<decltype(PQnotifies)>("PQnotifies");
    return f ? f(conn) : nullptr;
}

PQnoticeReceiver PQsetNoticeReceiver(PGconn *conn, PQnoticeReceiver proc, void *arg)
{
    static auto *const f = real<decltype(PQsetNoticeReceiver)>("PQsetNoticeReceiver");
    return f ? f(conn, proc, arg) : nullptr;
}

char *PQresultErrorField(const PGresult *res, int fieldcode)
{
    static auto *const f = real<decltype(PQresultErrorField)>("PQresultErrorField");
    return f ? f(res, fieldcode) : nullptr;
}

char *PQresultErrorMessage(const PGresult *res)
{
    static auto *const f = real<decltype(PQresultErrorMessage)>("PQresultErrorMessage");
    static char vazio[] = "";
    return f ? f(res) : vazio;
}

PGcancel *PQgetCancel(PGconn *conn)
{
    static auto *const f = real<decltype(PQgetCancel)>("PQgetCancel");
    return f ? f(conn) : nullptr;
}

int PQcancel(PGcancel *cancel, char *errbuf, int errbufsize)
{
    static auto *const f = real<decltype(PQcancel)>("PQcancel");
    return f ? f(cancel, errbuf, errbufsize) : 0;
}

void PQfreeCancel(PGcancel *cancel)
{
    static auto *const f = real<decltype(PQfreeCancel)>("PQfreeCancel");
    if (f)
        f(cancel);
}

void PQfreemem(void *ptr)
{
    static auto *const f = real<decltype(PQfreemem)>("PQfreemem");
    if (f)
        f(ptr);
}

}  // extern "C"
