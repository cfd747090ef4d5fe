/* The product services for any language: plain C entries that take and
   give UTF-8 JSON, exported by the core library libqul00002-services.so
   (link it alone: -lqul00002-services). Python reaches them with ctypes;
   the integrator's guide shows how.

   Each service is called by its name with its arguments as a JSON array
   (the same arguments as qulsvc's, in the same order; NULL or "" for none):

     getImposto, getUnidade                []
     getProduto                            ["T"] or ["<CDPRODUTO>"]
     getProdutoNaLista                     ["<CDPRODUTO>", "<CDPRODINTE>"], one of them ""
     getVd_Produto                         ["<CDPRODUTO>", "<CDBARPRODUTO>", "<CDPRODINTE>"]
     setProduto                            ["I" or "E", {"fields": [...], "rows": [[...]]}]
     setDelProduto                         ["<CDPRODUTO>"]
     getProdutoMudou                       ["I"], ["M"], ["V"] or ["VM"] (Srv_qul00002.h)

   and answers the JSON object qulsvc prints, {"status": N, "result": R},
   with "codigos" (the CDPRODUTO the store gave each row) after an insert.

   Every entry returns one of the QUL_JSON_ statuses below, qulsvc's exit
   statuses. When it is not QUL_JSON_OK, qul_json_erro() says why in
   Portuguese; with QUL_JSON_SEM_MODULO and QUL_JSON_USO no answer is given.

   One thread: the one that called qul_json_abre makes every call, one at a
   time; a call from another thread answers QUL_JSON_STATUS_FALHA with the
   refusal as its result ("Chamada recusada: ...") and touches nothing. */
#ifndef QUL00002_JSON_H
#define QUL00002_JSON_H

#include <stdint.h>

#ifndef QUL_EXPORT
#define QUL_EXPORT __attribute__((visibility("default")))
#endif

#define QUL_JSON_OK 0
#define QUL_JSON_SEM_MODULO 1     /* no data module, or it could not be created */
#define QUL_JSON_USO 2            /* an unknown service, arguments that are no JSON or do not fit it, a null pointer */
#define QUL_JSON_TEXTO_FALHA 3    /* the result is a failure text (e.g. a refused save: nothing written) */
#define QUL_JSON_STATUS_FALHA 4   /* the service returned a failure status (e.g. another thread's call) */
#define QUL_JSON_VENDA 6          /* setDelProduto: a sale or a tab holds the product; nothing deleted */
#define QUL_JSON_CONFTE 7         /* setDelProduto: a group of the sales screen holds it; nothing deleted */
#define QUL_JSON_SEM_PRODUTO 8    /* setDelProduto: no product has that code; nothing deleted */

#ifdef __cplusplus
extern "C" {
#endif

/* Receives a piece of the answer (UTF-8, `size` bytes, not terminated). */
typedef void (*TQulJsonEscrita)(const char *bytes, int64_t size, void *context);

/* Creates the data module and connects it to the store of `conexao` (a
   connection string, UTF-8; NULL or "": the configured one), on the calling
   thread. QUL_JSON_OK, or QUL_JSON_SEM_MODULO, with the reason in `*erro`
   when `erro` is not NULL (free it with qul_json_libera; NULL on success):
   a connection refused, or a data module that exists already. */
QUL_EXPORT int32_t qul_json_abre(const char *conexao, char **erro);

/* Calls `servico` with `argumentos` and sets `*resposta` to the answer, a
   null-terminated text the caller frees with qul_json_libera (NULL when
   there is none). */
QUL_EXPORT int32_t qul_json_chama(const char *servico, const char *argumentos, char **resposta);

/* The same call, the answer handed to `escreve` piece by piece as it is
   made: the whole product list is written straight from its rows, never
   held as one text. Nothing is written when there is no answer. */
QUL_EXPORT int32_t qul_json_escreve(const char *servico, const char *argumentos, TQulJsonEscrita escreve,
                                    void *contexto);

/* Frees the data module: QUL_JSON_OK, or QUL_JSON_STATUS_FALHA (another
   thread's call: the module stays). */
QUL_EXPORT int32_t qul_json_fecha(void);

/* Frees a text an entry above gave (NULL: nothing). */
QUL_EXPORT void qul_json_libera(char *texto);

/* Why the calling thread's last call of an entry above did not return
   QUL_JSON_OK (UTF-8, never NULL, "" after one that did; valid until that
   thread's next call). The same text as QulUltimoErro. */
QUL_EXPORT const char *qul_json_erro(void);

#ifdef __cplusplus
}
#endif

#endif
