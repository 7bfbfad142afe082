-- A large PostgreSQL catalogue for benchmarking searches: 10 schemas with
-- 5,000 tables of 20 columns each (100,000 columns), 2,000 views and
-- 5,000 PL/pgSQL functions of 20 to 500 lines, with comments on every
-- table, view and function and on every fourth column. Every 50th table, and
-- the views on those, has a quoted name with letters outside ASCII. Names, sizes and texts
-- follow from the object's number alone, so every load makes the same
-- catalogue.
--
-- Run it in an empty database as its owner or a superuser, e.g.
--     build/tests/pg_test_server bench/postgres-catalogue.sql
-- which prints how long it took. It commits every 100 objects, so that one
-- transaction never holds more locks than a small server has.

CREATE SCHEMA bench_make;

-- Word number n of the vocabulary the names and texts are made of.
CREATE FUNCTION bench_make.word(n integer) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT (ARRAY['customer', 'order', 'invoice', 'amount', 'price', 'quantity', 'status', 'created',
        'changed', 'name', 'address', 'city', 'country', 'email', 'phone', 'product', 'category', 'supplier',
        'warehouse', 'stock', 'payment', 'discount', 'tax', 'currency', 'account', 'balance', 'ledger',
        'employee', 'salary', 'department', 'project', 'task', 'note', 'code', 'region', 'route', 'shipment',
        'contract', 'budget', 'forecast', 'audit'])[1 + abs(n) % 41]
$$;

CREATE FUNCTION bench_make.schema_name(t integer) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT (ARRAY['accounting', 'billing', 'crm', 'hr', 'inventory', 'logistics', 'marketing', 'payroll',
        'reporting', 'sales'])[1 + t % 10]
$$;

-- Table t's name, quoted where it needs it.
CREATE FUNCTION bench_make.table_name(t integer) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT quote_ident(bench_make.schema_name(t)) || '.' || quote_ident(CASE WHEN t % 50 = 0
        THEN format('Größe_%s_%s', initcap(bench_make.word(t * 7)), t)
        ELSE format('%s_%s_%s', bench_make.word(t * 7), bench_make.word(t * 13 + 5), t) END)
$$;

CREATE FUNCTION bench_make.column_name(t integer, c integer) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN c = 1 THEN 'id'
        ELSE format('%s_%s_%s', bench_make.word(t * 3 + c * 17), bench_make.word(t + c * 29), c) END
$$;

CREATE FUNCTION bench_make.column_type(t integer, c integer) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN c = 1 THEN 'integer PRIMARY KEY'
        ELSE (ARRAY['integer', 'bigint', 'numeric(12,2)', 'text', 'varchar(80)', 'date', 'timestamptz',
            'boolean'])[1 + (t + c) % 8] END
$$;

-- Line l of the functions' bodies: assignments, conditions, queries and
-- comments in turn, naming the vocabulary's words.
CREATE FUNCTION bench_make.body_line(l integer) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE l % 5
        WHEN 0 THEN format('    total := total + p_%s * %s;', bench_make.word(l * 7), l % 97)
        WHEN 1 THEN format('    IF total > %s THEN counter := counter + 1; END IF;', l * 10)
        WHEN 2 THEN format('    -- step %s: check the %s of the %s', l, bench_make.word(l * 13), bench_make.word(l))
        WHEN 3 THEN format('    SELECT count(*) INTO counter FROM %s WHERE id > %s;',
            bench_make.table_name((l * 31) % 5000 + 1), l % 1000)
        ELSE format('    RAISE DEBUG ''%s %% done'', %s;', bench_make.word(l * 3), l)
    END
$$;

CREATE PROCEDURE bench_make.run() LANGUAGE plpgsql AS $run$
DECLARE
    t integer;
    lines integer;
    first integer;
    word text;
    pool text[];
BEGIN
    FOR s IN 0..9 LOOP
        EXECUTE format('CREATE SCHEMA %I', bench_make.schema_name(s));
        EXECUTE format('COMMENT ON SCHEMA %I IS %L', bench_make.schema_name(s),
            'Benchmark schema ' || bench_make.schema_name(s));
    END LOOP;

    FOR t IN 1..5000 LOOP
        EXECUTE format('CREATE TABLE %s (%s)', bench_make.table_name(t),
            (SELECT string_agg(quote_ident(bench_make.column_name(t, c)) || ' ' || bench_make.column_type(t, c),
                ', ' ORDER BY c) FROM generate_series(1, 20) AS c));
        EXECUTE format('COMMENT ON TABLE %s IS %L', bench_make.table_name(t),
            format('Keeps the %s of every %s (table %s)', bench_make.word(t * 5), bench_make.word(t * 11), t));
        FOR c IN 2..20 BY 4 LOOP
            EXECUTE format('COMMENT ON COLUMN %s.%I IS %L', bench_make.table_name(t), bench_make.column_name(t, c),
                format('The %s''s %s, as the %s department enters it', bench_make.word(t + c),
                    bench_make.word(t * c), bench_make.word(c)));
        END LOOP;
        IF t % 100 = 0 THEN
            COMMIT;
        END IF;
    END LOOP;

    FOR v IN 1..2000 LOOP
        t := (v * 37) % 5000 + 1;
        EXECUTE format('CREATE VIEW %s AS SELECT %s FROM %s WHERE %I IS NOT NULL AND id > %s',
            replace(bench_make.table_name(t), '_' || t, '_v' || v),
            (SELECT string_agg(quote_ident(bench_make.column_name(t, c)), ', ' ORDER BY c)
                FROM generate_series(1, 2 + v % 7) AS c),
            bench_make.table_name(t), bench_make.column_name(t, 2), v % 100);
        EXECUTE format('COMMENT ON VIEW %s IS %L', replace(bench_make.table_name(t), '_' || t, '_v' || v),
            format('The %s rows that have a %s', bench_make.word(v * 3), bench_make.word(v * 7)));
        IF v % 100 = 0 THEN
            COMMIT;
        END IF;
    END LOOP;

    -- Each function's body is a run of lines from one pool, which is made
    -- once: making every line anew would take most of the load's time.
    pool := ARRAY(SELECT bench_make.body_line(l) FROM generate_series(1, 6000) AS l);
    FOR f IN 1..5000 LOOP
        -- 20 to 500 lines: the declarations, the body lines and the end.
        lines := 20 + (f * 7919) % 481;
        first := (f * 7907) % 5500 + 1;
        word := bench_make.word(f * 3);
        EXECUTE format('CREATE FUNCTION %I.%I(p_%s numeric, p_%s numeric) RETURNS numeric LANGUAGE plpgsql AS %L',
            bench_make.schema_name(f), format('calc_%s_%s', word, f), word, bench_make.word(f * 3 + 1),
            format(E'DECLARE\n    total numeric := 0;\n    counter integer := 0;\nBEGIN\n%s\n    RETURN total;\nEND',
                array_to_string(pool[first:first + lines - 7], E'\n')));
        EXECUTE format('COMMENT ON FUNCTION %I.%I(numeric, numeric) IS %L', bench_make.schema_name(f),
            format('calc_%s_%s', word, f), format('Works out the %s for a %s', word, bench_make.word(f * 5)));
        IF f % 100 = 0 THEN
            COMMIT;
        END IF;
    END LOOP;
END
$run$;

CALL bench_make.run();
DROP SCHEMA bench_make CASCADE;
ANALYZE;
