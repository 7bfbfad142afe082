-- The tables of a Designer repository owner's schema as the demo repositories
-- have them: the column catalogue, the application systems and the element
-- tables. Read by designer-demo.sql and designer-old.sql; rm$repositories,
-- which tells the two kinds of repository apart, is made by each of them.
--
-- Column types are written as the Oracle server reports them, so that
-- designer-columns.sql can derive USER_TAB_COLUMNS from the tables
-- themselves: VARCHAR2(n), NUMBER(p) and DATE.
--
-- Besides the six element tables (entities, attributes, modules, table
-- definitions, columns, domains) the schema holds, on purpose:
--   * CIXYZ, a table with a NAME column whose name does not begin with
--     "CI_" (the catalogue's LIKE 'CI%' finds it; the search must not);
--   * CI_APP_SYS_SHARES, a table with a NAME column that the catalogue
--     statement leaves out by name;
--   * CI_TEXT_LINES, a "CI_" table without a NAME column;
--   * CI_APPLICATION_SYSTEMS itself, which has a NAME column but no
--     APPLICATION_SYSTEM_OWNED_BY, so every search statement on it fails;
--   * NUMBER, DATE, VARCHAR2(1) and VARCHAR2(2) columns, never searched.

CREATE TABLE USER_TAB_COLUMNS (
    TABLE_NAME     VARCHAR2(128) NOT NULL,
    COLUMN_NAME    VARCHAR2(128) NOT NULL,
    DATA_TYPE      VARCHAR2(128),
    DATA_LENGTH    NUMBER(22) NOT NULL,
    DATA_PRECISION NUMBER(22),
    NULLABLE       VARCHAR2(1),
    COLUMN_ID      NUMBER(22)
);

CREATE TABLE CI_APPLICATION_SYSTEMS (
    ID             NUMBER(38) NOT NULL,
    NAME           VARCHAR2(30) NOT NULL,
    VERSION        NUMBER(38) NOT NULL,
    TITLE          VARCHAR2(70),
    SUMMARY        VARCHAR2(240),
    AUTHORITY      VARCHAR2(30),
    FROZEN_FLAG    VARCHAR2(1),
    CREATED_BY     VARCHAR2(30),
    DATE_CREATED   DATE
);

CREATE TABLE CI_ENTITIES (
    ID                          NUMBER(38) NOT NULL,
    NAME                        VARCHAR2(40) NOT NULL,
    APPLICATION_SYSTEM_OWNED_BY NUMBER(38) NOT NULL,
    SHORT_NAME                  VARCHAR2(10),
    PLURAL                      VARCHAR2(40),
    ALIAS                       VARCHAR2(40),
    REMARK                      VARCHAR2(240),
    DATAWAREHOUSE_TYPE          VARCHAR2(2),
    INITIAL_VOLUME              NUMBER(10),
    MAXIMUM_VOLUME              NUMBER(10),
    USER_DEFINED_PROPERTY_0     VARCHAR2(240),
    USER_DEFINED_PROPERTY_1     VARCHAR2(240),
    USER_DEFINED_PROPERTY_2     VARCHAR2(240),
    USER_DEFINED_PROPERTY_3     VARCHAR2(240),
    CREATED_BY                  VARCHAR2(30),
    DATE_CREATED                DATE,
    CHANGED_BY                  VARCHAR2(30),
    DATE_CHANGED                DATE,
    OWNING_USER                 VARCHAR2(30)
);

CREATE TABLE CI_ATTRIBUTES (
    ID                          NUMBER(38) NOT NULL,
    NAME                        VARCHAR2(40) NOT NULL,
    APPLICATION_SYSTEM_OWNED_BY NUMBER(38) NOT NULL,
    ENTITY_REFERENCE            NUMBER(38) NOT NULL,
    FORMAT                      VARCHAR2(10),
    MAXIMUM_LENGTH              NUMBER(10),
    OPTIONAL_FLAG               VARCHAR2(1),
    DEFAULT_VALUE               VARCHAR2(240),
    REMARK                      VARCHAR2(240),
    COMMENT_TEXT                VARCHAR2(2000),
    USER_DEFINED_PROPERTY_0     VARCHAR2(240),
    USER_DEFINED_PROPERTY_1     VARCHAR2(240),
    CREATED_BY                  VARCHAR2(30),
    DATE_CREATED                DATE,
    CHANGED_BY                  VARCHAR2(30),
    DATE_CHANGED                DATE,
    OWNING_USER                 VARCHAR2(30)
);

CREATE TABLE CI_MODULES (
    ID                          NUMBER(38) NOT NULL,
    NAME                        VARCHAR2(40) NOT NULL,
    APPLICATION_SYSTEM_OWNED_BY NUMBER(38) NOT NULL,
    SHORT_TITLE                 VARCHAR2(40),
    PURPOSE                     VARCHAR2(240),
    MODULE_TYPE                 VARCHAR2(10),
    LANGUAGE                    VARCHAR2(20),
    IMPLEMENTATION_NAME         VARCHAR2(40),
    TOP_TITLE                   VARCHAR2(70),
    REMARK                      VARCHAR2(240),
    COMPLEXITY                  VARCHAR2(2),
    USER_DEFINED_PROPERTY_0     VARCHAR2(240),
    USER_DEFINED_PROPERTY_1     VARCHAR2(240),
    USER_DEFINED_PROPERTY_2     VARCHAR2(240),
    CREATED_BY                  VARCHAR2(30),
    DATE_CREATED                DATE,
    CHANGED_BY                  VARCHAR2(30),
    DATE_CHANGED                DATE,
    OWNING_USER                 VARCHAR2(30)
);

CREATE TABLE CI_TABLE_DEFINITIONS (
    ID                          NUMBER(38) NOT NULL,
    NAME                        VARCHAR2(40) NOT NULL,
    APPLICATION_SYSTEM_OWNED_BY NUMBER(38) NOT NULL,
    ALIAS                       VARCHAR2(10),
    DISPLAY_TITLE               VARCHAR2(70),
    TABLESPACE_NAME             VARCHAR2(30),
    JOURNAL_TYPE                VARCHAR2(2),
    START_ROWS                  NUMBER(10),
    REMARK                      VARCHAR2(240),
    USER_DEFINED_PROPERTY_0     VARCHAR2(240),
    CREATED_BY                  VARCHAR2(30),
    DATE_CREATED                DATE,
    CHANGED_BY                  VARCHAR2(30),
    DATE_CHANGED                DATE,
    OWNING_USER                 VARCHAR2(30)
);

CREATE TABLE CI_COLUMNS (
    ID                          NUMBER(38) NOT NULL,
    NAME                        VARCHAR2(40) NOT NULL,
    APPLICATION_SYSTEM_OWNED_BY NUMBER(38) NOT NULL,
    TABLE_REFERENCE             NUMBER(38) NOT NULL,
    DATATYPE                    VARCHAR2(20),
    MAXIMUM_LENGTH              NUMBER(10),
    NULL_INDICATOR              VARCHAR2(1),
    DEFAULT_VALUE_STRING        VARCHAR2(240),
    PROMPT                      VARCHAR2(70),
    HINT_TEXT                   VARCHAR2(240),
    REMARK                      VARCHAR2(240),
    USER_DEFINED_PROPERTY_0     VARCHAR2(240),
    USER_DEFINED_PROPERTY_1     VARCHAR2(240),
    CREATED_BY                  VARCHAR2(30),
    DATE_CREATED                DATE,
    CHANGED_BY                  VARCHAR2(30),
    DATE_CHANGED                DATE,
    OWNING_USER                 VARCHAR2(30)
);

CREATE TABLE CI_DOMAINS (
    ID                          NUMBER(38) NOT NULL,
    NAME                        VARCHAR2(40) NOT NULL,
    APPLICATION_SYSTEM_OWNED_BY NUMBER(38) NOT NULL,
    DATATYPE                    VARCHAR2(20),
    FORMAT                      VARCHAR2(10),
    DEFAULT_VALUE               VARCHAR2(240),
    ALLOWABLE_VALUES            VARCHAR2(2000),
    REMARK                      VARCHAR2(240),
    USER_DEFINED_PROPERTY_0     VARCHAR2(240),
    CREATED_BY                  VARCHAR2(30),
    DATE_CREATED                DATE,
    CHANGED_BY                  VARCHAR2(30),
    DATE_CHANGED                DATE,
    OWNING_USER                 VARCHAR2(30)
);

-- Lines of long texts; no NAME column, so no element table.
CREATE TABLE CI_TEXT_LINES (
    ID                          NUMBER(38) NOT NULL,
    TXT_REF                     NUMBER(38) NOT NULL,
    TXT_SEQ                     NUMBER(10) NOT NULL,
    TXT_TEXT                    VARCHAR2(240)
);

-- Shares of elements between application systems: left out by name.
CREATE TABLE CI_APP_SYS_SHARES (
    ID                          NUMBER(38) NOT NULL,
    NAME                        VARCHAR2(40) NOT NULL,
    APPLICATION_SYSTEM_OWNED_BY NUMBER(38) NOT NULL,
    REMARK                      VARCHAR2(240)
);

-- Not a repository table at all, though the catalogue's LIKE 'CI%' finds it.
CREATE TABLE CIXYZ (
    ID                          NUMBER(38) NOT NULL,
    NAME                        VARCHAR2(40) NOT NULL,
    APPLICATION_SYSTEM_OWNED_BY NUMBER(38) NOT NULL,
    REMARK                      VARCHAR2(240)
);
