-- The PostgreSQL demo database: a small shop (schema sales), its staff
-- (schema hr) and a warehouse whose names need quoting (schema
-- Müller's "Lager"), with one object of every kind the catalogue knows and
-- comments on most of them. Run it as a superuser in an empty database
-- (scripts/pg-demo.sh does): the foreign table needs file_fdw, which ships
-- with the server.
--
-- hr.payroll_rules is 3,000 lines long; the last word of its body,
-- "finisterre", appears nowhere else, so a search finds it only when it
-- reads the whole body.

CREATE SCHEMA sales;
COMMENT ON SCHEMA sales IS 'Customers, their orders and what they bought';
CREATE SCHEMA hr;
COMMENT ON SCHEMA hr IS 'Staff, departments and pay';
CREATE SCHEMA "Müller's ""Lager""";
COMMENT ON SCHEMA "Müller's ""Lager""" IS 'Frau Müllers Lager: names with apostrophes, "quotes" and umlauts';

-- Types of every kind.
CREATE TYPE sales.order_status AS ENUM ('new', 'paid', 'shipped', 'cancelled');
COMMENT ON TYPE sales.order_status IS 'Where an order stands';
CREATE DOMAIN sales.email_address AS text CHECK (VALUE ~ '^[^@[:space:]]+@[^@[:space:]]+$');
COMMENT ON DOMAIN sales.email_address IS 'An e-mail address: one @ and no spaces';
CREATE TYPE hr.postal_address AS (street text, postcode text, city text, country char(2));
COMMENT ON TYPE hr.postal_address IS 'A postal address as a pay slip prints it';
CREATE TYPE hr.salary_band AS RANGE (subtype = numeric);
COMMENT ON TYPE hr.salary_band IS 'The lowest and the highest pay of a grade';

CREATE SEQUENCE sales.invoice_number START 10000;
COMMENT ON SEQUENCE sales.invoice_number IS 'Invoice numbers, without the gaps the auditors ask about';

-- The shop.
CREATE TABLE sales.customers (
    customer_id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    name text NOT NULL,
    email sales.email_address UNIQUE,
    country char(2) NOT NULL DEFAULT 'DE' CHECK (country ~ '^[A-Z]{2}$'),
    created_at timestamptz NOT NULL DEFAULT now()
);
COMMENT ON TABLE sales.customers IS 'Everyone who ever ordered';
COMMENT ON COLUMN sales.customers.email IS 'Where the invoices go';
COMMENT ON COLUMN sales.customers.country IS 'ISO 3166 country code, upper case';

CREATE TABLE sales.orders (
    order_id bigserial PRIMARY KEY,
    customer_id integer NOT NULL REFERENCES sales.customers ON DELETE RESTRICT,
    status sales.order_status NOT NULL DEFAULT 'new',
    ordered_at timestamptz NOT NULL DEFAULT now(),
    changed_at timestamptz,
    invoice_no integer UNIQUE DEFAULT nextval('sales.invoice_number'),
    CONSTRAINT orders_changed_after_ordered CHECK (changed_at IS NULL OR changed_at >= ordered_at)
);
COMMENT ON TABLE sales.orders IS 'One row an order; its lines are in order_lines';
COMMENT ON CONSTRAINT orders_changed_after_ordered ON sales.orders IS 'An order changes only after it was placed';
CREATE INDEX orders_customer_idx ON sales.orders (customer_id, ordered_at DESC);
COMMENT ON INDEX sales.orders_customer_idx IS 'A customer''s orders, newest first';

CREATE TABLE sales.order_lines (
    order_id bigint NOT NULL REFERENCES sales.orders ON DELETE CASCADE,
    line_no smallint NOT NULL,
    product text NOT NULL,
    quantity integer NOT NULL CHECK (quantity > 0),
    unit_price numeric(10, 2) NOT NULL CHECK (unit_price >= 0),
    PRIMARY KEY (order_id, line_no)
);
COMMENT ON TABLE sales.order_lines IS 'What an order bought, line by line';
COMMENT ON COLUMN sales.order_lines.unit_price IS 'Price of one piece in euros, before tax';

CREATE FUNCTION sales.touch_order() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    -- Stamps every change, so that stale orders can be told apart.
    NEW.changed_at := now();
    RETURN NEW;
END
$$;
COMMENT ON FUNCTION sales.touch_order() IS 'Stamps the time of an order''s last change';
CREATE TRIGGER orders_touch BEFORE UPDATE ON sales.orders
    FOR EACH ROW EXECUTE FUNCTION sales.touch_order();
COMMENT ON TRIGGER orders_touch ON sales.orders IS 'Keeps changed_at up to date';

CREATE VIEW sales.order_totals AS
    SELECT o.order_id, c.name AS customer, sum(l.quantity * l.unit_price) AS total
    FROM sales.orders o
    JOIN sales.customers c USING (customer_id)
    JOIN sales.order_lines l USING (order_id)
    GROUP BY o.order_id, c.name;
COMMENT ON VIEW sales.order_totals IS 'The sum of every order';
COMMENT ON COLUMN sales.order_totals.total IS 'Quantity times unit price, over all lines';

CREATE AGGREGATE sales.product(numeric) (SFUNC = numeric_mul, STYPE = numeric, INITCOND = '1');
COMMENT ON AGGREGATE sales.product(numeric) IS 'Multiplies the values, as sum adds them';

CREATE PROCEDURE sales.cancel_stale_orders(older_than interval DEFAULT '30 days')
LANGUAGE plpgsql AS $$
BEGIN
    UPDATE sales.orders SET status = 'cancelled'
    WHERE status = 'new' AND ordered_at < now() - older_than;
END
$$;
COMMENT ON PROCEDURE sales.cancel_stale_orders(interval) IS 'Cancels the orders nobody paid for';

CREATE TABLE sales.order_events (
    order_id bigint NOT NULL,
    happened_at timestamptz NOT NULL,
    event text NOT NULL
) PARTITION BY RANGE (happened_at);
CREATE TABLE sales.order_events_2024 PARTITION OF sales.order_events
    FOR VALUES FROM ('2024-01-01') TO ('2025-01-01');
CREATE TABLE sales.order_events_2025 PARTITION OF sales.order_events
    FOR VALUES FROM ('2025-01-01') TO ('2026-01-01');
COMMENT ON TABLE sales.order_events IS 'What happened to an order, one partition a year';

-- The staff.
CREATE TABLE hr.departments (
    department_id integer PRIMARY KEY,
    name text NOT NULL UNIQUE,
    manager_id integer
);
COMMENT ON TABLE hr.departments IS 'The departments and who runs them';

CREATE TABLE hr.employees (
    employee_id integer PRIMARY KEY,
    name text NOT NULL,
    department_id integer NOT NULL REFERENCES hr.departments,
    salary numeric(10, 2) NOT NULL CHECK (salary > 0),
    band hr.salary_band,
    home hr.postal_address,
    login name NOT NULL DEFAULT current_user
);
COMMENT ON TABLE hr.employees IS 'Everyone on the payroll';
COMMENT ON COLUMN hr.employees.salary IS 'Monthly pay in euros, before tax';
ALTER TABLE hr.departments ADD CONSTRAINT departments_manager_fk
    FOREIGN KEY (manager_id) REFERENCES hr.employees DEFERRABLE INITIALLY DEFERRED;

ALTER TABLE hr.employees ENABLE ROW LEVEL SECURITY;
CREATE POLICY own_row ON hr.employees FOR SELECT USING (login = current_user);
COMMENT ON POLICY own_row ON hr.employees IS 'Staff see their own row and nobody else''s';

CREATE TABLE hr.salary_history (
    employee_id integer NOT NULL REFERENCES hr.employees,
    valid_from date NOT NULL,
    salary numeric(10, 2) NOT NULL,
    PRIMARY KEY (employee_id, valid_from)
);
CREATE RULE salary_history_is_kept AS ON DELETE TO hr.salary_history DO INSTEAD NOTHING;
COMMENT ON RULE salary_history_is_kept ON hr.salary_history IS 'Past pay is never deleted';

CREATE EXTENSION file_fdw;
CREATE SERVER hr_files FOREIGN DATA WRAPPER file_fdw;
CREATE FOREIGN TABLE hr.public_holidays (day date, name text)
    SERVER hr_files OPTIONS (filename '/dev/null', format 'csv');
COMMENT ON FOREIGN TABLE hr.public_holidays IS 'The holidays, read from a CSV file on the server';

-- 3,000 lines: a declaration, 2,994 rules, the return and a last word.
DO $$
DECLARE
    body text;
BEGIN
    SELECT E'DECLARE\n    result numeric := salary;\nBEGIN\n'
        || string_agg(format('    result := result + %s; -- payroll rule %s', n % 7, n), E'\n' ORDER BY n)
        || E'\n    RETURN result;\nEND;\n-- finisterre'
    INTO body
    FROM generate_series(1, 2994) AS n;
    EXECUTE format('CREATE FUNCTION hr.payroll_rules(salary numeric) RETURNS numeric '
        'LANGUAGE plpgsql IMMUTABLE AS %L', body);
END
$$;
COMMENT ON FUNCTION hr.payroll_rules(numeric) IS 'Three thousand lines of pay rules';

-- The warehouse: every name needs quoting.
CREATE TABLE "Müller's ""Lager"""."Überweisungen ""offen""" (
    "Nummer" integer PRIMARY KEY,
    "O'Brien's Straße" text NOT NULL,
    "Betrag €" numeric(12, 2) NOT NULL CHECK ("Betrag €" <> 0),
    "Menge 数量" integer,
    "Kunde" integer REFERENCES sales.customers
);
COMMENT ON TABLE "Müller's ""Lager"""."Überweisungen ""offen""" IS 'Offene Überweisungen mit "Anführungszeichen" und O''Briens Apostroph';
COMMENT ON COLUMN "Müller's ""Lager"""."Überweisungen ""offen"""."O'Brien's Straße" IS 'Die Straße des Empfängers';

CREATE VIEW "Müller's ""Lager"""."Straßen-Übersicht" AS
    SELECT "O'Brien's Straße", sum("Betrag €") AS "Summe €"
    FROM "Müller's ""Lager"""."Überweisungen ""offen"""
    GROUP BY "O'Brien's Straße";
COMMENT ON VIEW "Müller's ""Lager"""."Straßen-Übersicht" IS 'Was je Straße offen ist';

CREATE FUNCTION "Müller's ""Lager"""."zähle_Überweisungen"() RETURNS bigint LANGUAGE sql STABLE AS $$
    SELECT count(*) FROM "Müller's ""Lager"""."Überweisungen ""offen"""
$$;
COMMENT ON FUNCTION "Müller's ""Lager"""."zähle_Überweisungen"() IS 'Zählt die offenen Überweisungen';

-- A few rows, so that the views show something.
INSERT INTO sales.customers (name, email, country) VALUES
    ('Ana Müller', 'ana@example.com', 'DE'),
    ('Seán O''Neil', 'sean@example.ie', 'IE'),
    ('Zoë "Zed" Dupont', 'zoe@example.fr', 'FR');
INSERT INTO sales.orders (customer_id, status, ordered_at) VALUES
    (1, 'paid', '2025-01-15'), (2, 'new', '2025-02-01'), (3, 'shipped', '2025-02-20');
INSERT INTO sales.order_lines VALUES
    (1, 1, 'Teapot', 1, 24.90), (1, 2, 'Cup', 4, 6.50), (2, 1, 'Kettle', 1, 39.00), (3, 1, 'Café crème', 2, 9.80);
INSERT INTO "Müller's ""Lager"""."Überweisungen ""offen""" VALUES
    (1, 'Hauptstraße 1', 120.00, 3, 1), (2, 'O''Connell Street 5', 75.50, 1, 2);

CREATE MATERIALIZED VIEW sales.monthly_revenue AS
    SELECT date_trunc('month', o.ordered_at) AS month, sum(t.total) AS revenue
    FROM sales.orders o
    JOIN sales.order_totals t USING (order_id)
    GROUP BY 1;
CREATE UNIQUE INDEX monthly_revenue_month ON sales.monthly_revenue (month);
COMMENT ON MATERIALIZED VIEW sales.monthly_revenue IS 'Revenue a month, refreshed at night';

-- Anyone may read the catalogue's objects (information_schema shows only
-- what a user may use).
GRANT USAGE ON SCHEMA sales, hr, "Müller's ""Lager""" TO PUBLIC;
GRANT SELECT ON ALL TABLES IN SCHEMA sales, hr, "Müller's ""Lager""" TO PUBLIC;
