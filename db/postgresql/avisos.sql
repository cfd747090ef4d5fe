-- Optional, PostgreSQL only: makes every writer of the product tables
-- heard by the terminals' lists, not only the module's own. Each statement
-- that inserts, updates, deletes or truncates PRODUTO, ITEMPRECO,
-- ALIQIMPFIS or PRODLOJA (psql, a back-office program, a replication tool)
-- notifies the channel qul_produto, as the module's own saves do; the
-- notification reaches the listeners when its transaction commits.
-- Without it, a list notices such a change only at its next reading.
--
-- Run it once per store database, as the tables' owner, after the schema
-- (running it again changes nothing):
--   psql -h SERVER -U caixa -d loja -f /usr/share/qul00002/schema/postgresql-avisos.sql
-- A save of the module then notifies twice in one transaction with the
-- same text, which PostgreSQL delivers once; a terminal ignores its own.
-- To take it away: DROP FUNCTION qul_avisa_produtos() CASCADE;

CREATE OR REPLACE FUNCTION qul_avisa_produtos() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  PERFORM pg_notify('qul_produto', '');
  RETURN NULL;
END
$$;

-- The same trigger on each of the four tables (named as the schema makes
-- them, unquoted), put in again in place of one an earlier run made.
DO $$
DECLARE
  tabela text;
BEGIN
  FOREACH tabela IN ARRAY ARRAY['produto', 'itempreco', 'aliqimpfis', 'prodloja'] LOOP
    EXECUTE format('DROP TRIGGER IF EXISTS qul_avisa_produtos ON %I', tabela);
    EXECUTE format('CREATE TRIGGER qul_avisa_produtos AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON %I '
                   'FOR EACH STATEMENT EXECUTE FUNCTION qul_avisa_produtos()', tabela);
  END LOOP;
END
$$;
