-- A SQL Server database's catalogue as a catalogue file holds it.
--
-- The tables carry the names and columns of the server's compatibility views
-- sysobjects, sysusers, syscolumns, systypes, syscomments and sysindexes, in
-- the server's column order; only the columns an object search reads and those
-- that make a row look like the server's are kept. Values are stored as the
-- server returns them:
--   * object type codes are two characters, a one-letter code padded with a
--     blank ("U ", "P ", "TR"); primary keys and unique constraints have the
--     type "K " and the xtype "PK" or "UQ";
--   * a definition is kept in syscomments records of at most 4,000 characters,
--     numbered by colid from 1;
--   * objects shipped with the server have a negative status;
--   * index status bits: 2 unique, 16 clustered, 32 hypothetical, 2048 primary
--     key, 4096 unique constraint, 8388608 statistics made by the server.
--
-- The server compares text ignoring trailing blanks ('U' = 'U '). The columns
-- that statements compare with "=" say so themselves with SQLite's built-in
-- RTRIM collation, so that every SQLite tool reading the file agrees.
--
-- Both the demo catalogue (mssql-demo.sql) and the catalogue generator
-- (tools/gen_catalogue --dialect mssql) build on this script, and both end
-- with ANALYZE, so that SQLite's planner knows, as the server's does, that
-- the few defaults are quicker found by their type than by every text.
--
-- The script also holds what every database has: the system types, and the
-- users and roles dbo, guest, INFORMATION_SCHEMA, sys, public and db_owner.

CREATE TABLE sysusers (
    uid              SMALLINT      NOT NULL PRIMARY KEY,
    status           SMALLINT      NOT NULL DEFAULT 0,
    name             NVARCHAR(128) NOT NULL COLLATE RTRIM UNIQUE,
    createdate       DATETIME      NOT NULL,
    updatedate       DATETIME      NOT NULL,
    gid              SMALLINT      NOT NULL DEFAULT 0,
    hasdbaccess      INT           NOT NULL DEFAULT 0,
    islogin          INT           NOT NULL DEFAULT 0,
    issqluser        INT           NOT NULL DEFAULT 0,
    issqlrole        INT           NOT NULL DEFAULT 0
);

-- id is the rowid, so the joins on it take the shortest way.
CREATE TABLE sysobjects (
    name             NVARCHAR(128) NOT NULL COLLATE RTRIM,
    id               INTEGER       NOT NULL PRIMARY KEY,
    xtype            NCHAR(2)      NOT NULL COLLATE RTRIM CHECK (length(xtype) = 2),
    uid              SMALLINT      NOT NULL,
    info             SMALLINT      NOT NULL DEFAULT 0,
    status           INT           NOT NULL DEFAULT 0,
    base_schema_ver  INT           NOT NULL DEFAULT 0,
    replinfo         INT           NOT NULL DEFAULT 0,
    parent_obj       INT           NOT NULL DEFAULT 0,
    crdate           DATETIME      NOT NULL,
    ftcatid          SMALLINT      NOT NULL DEFAULT 0,
    schema_ver       INT           NOT NULL DEFAULT 0,
    stats_schema_ver INT           NOT NULL DEFAULT 0,
    type             NCHAR(2)      NOT NULL COLLATE RTRIM CHECK (length(type) = 2),
    userstat         SMALLINT      NOT NULL DEFAULT 0,
    sysstat          SMALLINT      NOT NULL DEFAULT 0,
    indexdel         SMALLINT      NOT NULL DEFAULT 0,
    refdate          DATETIME      NOT NULL,
    version          INT           NOT NULL DEFAULT 0,
    deltrig          INT           NOT NULL DEFAULT 0,
    instrig          INT           NOT NULL DEFAULT 0,
    updtrig          INT           NOT NULL DEFAULT 0,
    seltrig          INT           NOT NULL DEFAULT 0,
    category         INT           NOT NULL DEFAULT 0,
    cache            SMALLINT      NOT NULL DEFAULT 0
);
CREATE INDEX sysobjects_name ON sysobjects (name);
CREATE INDEX sysobjects_parent ON sysobjects (parent_obj);
CREATE INDEX sysobjects_type ON sysobjects (type);

CREATE TABLE systypes (
    name             NVARCHAR(128) NOT NULL COLLATE RTRIM,
    xtype            TINYINT       NOT NULL,
    status           TINYINT       NOT NULL DEFAULT 0,
    xusertype        SMALLINT      NOT NULL PRIMARY KEY,
    length           SMALLINT      NOT NULL,
    xprec            TINYINT       NOT NULL DEFAULT 0,
    xscale           TINYINT       NOT NULL DEFAULT 0,
    tdefault         INT           NOT NULL DEFAULT 0,
    domain           INT           NOT NULL DEFAULT 0,
    uid              SMALLINT      NOT NULL DEFAULT 4,
    collationid      INT,
    variable         BIT           NOT NULL DEFAULT 0,
    allownulls       BIT           NOT NULL DEFAULT 1,
    prec             SMALLINT,
    scale            TINYINT,
    collation        NVARCHAR(128)
);

-- Columns of tables and views, and the parameters of procedures and
-- functions (number 1); length in bytes, as the server counts it.
CREATE TABLE syscolumns (
    name             NVARCHAR(128) NOT NULL COLLATE RTRIM,
    id               INT           NOT NULL,
    xtype            TINYINT       NOT NULL,
    xusertype        SMALLINT      NOT NULL,
    length           SMALLINT      NOT NULL,
    xprec            TINYINT       NOT NULL DEFAULT 0,
    xscale           TINYINT       NOT NULL DEFAULT 0,
    colid            SMALLINT      NOT NULL,
    cdefault         INT           NOT NULL DEFAULT 0,
    domain           INT           NOT NULL DEFAULT 0,
    number           SMALLINT      NOT NULL DEFAULT 0,
    colorder         SMALLINT      NOT NULL,
    iscomputed       INT           NOT NULL DEFAULT 0,
    isoutparam       INT           NOT NULL DEFAULT 0,
    isnullable       INT           NOT NULL DEFAULT 1,
    collation        NVARCHAR(128),
    PRIMARY KEY (id, number, colid)
) WITHOUT ROWID;

-- Kept in key order, so the records of one definition come by colid.
CREATE TABLE syscomments (
    id               INT           NOT NULL,
    number           SMALLINT      NOT NULL DEFAULT 0,
    colid            SMALLINT      NOT NULL CHECK (colid >= 1),
    status           SMALLINT      NOT NULL DEFAULT 0,
    texttype         SMALLINT      NOT NULL DEFAULT 2,
    language         SMALLINT      NOT NULL DEFAULT 0,
    encrypted        BIT           NOT NULL DEFAULT 0,
    compressed       BIT           NOT NULL DEFAULT 0,
    text             NVARCHAR(4000) CHECK (length(text) <= 4000),
    PRIMARY KEY (id, number, colid)
) WITHOUT ROWID;

-- indid 0 is a table without clustered index (no name), 1 the clustered
-- index, 2 and above the others and the statistics.
CREATE TABLE sysindexes (
    id               INT           NOT NULL,
    status           INT           NOT NULL DEFAULT 0,
    indid            SMALLINT      NOT NULL,
    minlen           SMALLINT      NOT NULL DEFAULT 0,
    keycnt           SMALLINT      NOT NULL DEFAULT 0,
    groupid          SMALLINT      NOT NULL DEFAULT 1,
    dpages           INT           NOT NULL DEFAULT 0,
    reserved         INT           NOT NULL DEFAULT 0,
    used             INT           NOT NULL DEFAULT 0,
    rowcnt           BIGINT        NOT NULL DEFAULT 0,
    rowmodctr        INT           NOT NULL DEFAULT 0,
    xmaxlen          SMALLINT      NOT NULL DEFAULT 0,
    maxirow          SMALLINT      NOT NULL DEFAULT 0,
    OrigFillFactor   TINYINT       NOT NULL DEFAULT 0,
    lockflags        SMALLINT      NOT NULL DEFAULT 0,
    name             NVARCHAR(128) COLLATE RTRIM,
    rows             INT           NOT NULL DEFAULT 0,
    PRIMARY KEY (id, indid)
) WITHOUT ROWID;

-- ---------------------------------------------------------------------------
-- What every database has

INSERT INTO sysusers (uid, status, name, createdate, updatedate, gid, hasdbaccess, islogin, issqluser, issqlrole) VALUES
    (0,     0,  'public',             '2003-04-08 09:10:19', '2003-04-08 09:10:19', 0,     0, 0, 0, 1),
    (1,     2,  'dbo',                '2003-04-08 09:10:19', '2003-04-08 09:10:19', 0,     1, 1, 1, 0),
    (2,     0,  'guest',              '2003-04-08 09:10:19', '2003-04-08 09:10:19', 0,     0, 1, 1, 0),
    (3,     0,  'INFORMATION_SCHEMA', '2009-04-13 12:59:11', '2009-04-13 12:59:11', 0,     0, 1, 1, 0),
    (4,     0,  'sys',                '2009-04-13 12:59:11', '2009-04-13 12:59:11', 0,     0, 1, 1, 0),
    (16384, 0,  'db_owner',           '2003-04-08 09:10:19', '2003-04-08 09:10:19', 16384, 0, 0, 0, 1);

INSERT INTO systypes (name, xtype, xusertype, length, xprec, xscale, variable, prec, scale, collationid, collation) VALUES
    ('image',            34,  34,    16,  0,  0, 0, NULL, NULL, NULL, NULL),
    ('text',             35,  35,    16,  0,  0, 0, NULL, NULL, 872468488, 'Latin1_General_CI_AS'),
    ('uniqueidentifier', 36,  36,    16,  0,  0, 0, NULL, NULL, NULL, NULL),
    ('date',             40,  40,     3, 10,  0, 0, 10,   0,    NULL, NULL),
    ('time',             41,  41,     5, 16,  7, 0, 16,   7,    NULL, NULL),
    ('datetime2',        42,  42,     8, 27,  7, 0, 27,   7,    NULL, NULL),
    ('datetimeoffset',   43,  43,    10, 34,  7, 0, 34,   7,    NULL, NULL),
    ('tinyint',          48,  48,     1,  3,  0, 0, 3,    0,    NULL, NULL),
    ('smallint',         52,  52,     2,  5,  0, 0, 5,    0,    NULL, NULL),
    ('int',              56,  56,     4, 10,  0, 0, 10,   0,    NULL, NULL),
    ('smalldatetime',    58,  58,     4, 16,  0, 0, 16,   0,    NULL, NULL),
    ('real',             59,  59,     4, 24,  0, 0, 24,   NULL, NULL, NULL),
    ('money',            60,  60,     8, 19,  4, 0, 19,   4,    NULL, NULL),
    ('datetime',         61,  61,     8, 23,  3, 0, 23,   3,    NULL, NULL),
    ('float',            62,  62,     8, 53,  0, 0, 53,   NULL, NULL, NULL),
    ('sql_variant',      98,  98,  8016,  0,  0, 0, NULL, NULL, NULL, NULL),
    ('ntext',            99,  99,    16,  0,  0, 0, NULL, NULL, 872468488, 'Latin1_General_CI_AS'),
    ('bit',             104, 104,     1,  1,  0, 0, 1,    0,    NULL, NULL),
    ('decimal',         106, 106,    17, 38, 38, 0, 38,   38,   NULL, NULL),
    ('numeric',         108, 108,    17, 38, 38, 0, 38,   38,   NULL, NULL),
    ('smallmoney',      122, 122,     4, 10,  4, 0, 10,   4,    NULL, NULL),
    ('bigint',          127, 127,     8, 19,  0, 0, 19,   0,    NULL, NULL),
    ('varbinary',       165, 165,  8000,  0,  0, 1, NULL, NULL, NULL, NULL),
    ('varchar',         167, 167,  8000,  0,  0, 1, NULL, NULL, 872468488, 'Latin1_General_CI_AS'),
    ('binary',          173, 173,  8000,  0,  0, 0, NULL, NULL, NULL, NULL),
    ('char',            175, 175,  8000,  0,  0, 0, NULL, NULL, 872468488, 'Latin1_General_CI_AS'),
    ('timestamp',       189, 189,     8,  0,  0, 0, NULL, NULL, NULL, NULL),
    ('nvarchar',        231, 231,  8000,  0,  0, 1, NULL, NULL, 872468488, 'Latin1_General_CI_AS'),
    ('nchar',           239, 239,  8000,  0,  0, 0, NULL, NULL, 872468488, 'Latin1_General_CI_AS'),
    ('xml',             241, 241,    -1,  0,  0, 1, NULL, NULL, NULL, NULL),
    ('sysname',         231, 256,   256,  0,  0, 1, NULL, NULL, 872468488, 'Latin1_General_CI_AS');
