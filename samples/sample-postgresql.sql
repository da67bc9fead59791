-- The sample database for a PostgreSQL server: the same tables, values and view as
-- sample.sql, written for PostgreSQL. Load it into an empty database:
--   psql -d DATABASE -f sample-postgresql.sql
-- Names are quoted so that they keep their capitals, as reports name them.

CREATE TABLE "Customers" (
    "CustomerID"   BIGINT PRIMARY KEY,
    "CustomerName" VARCHAR(40) NOT NULL,
    "Country"      VARCHAR(24) NOT NULL,
    "City"         VARCHAR(24) NOT NULL,
    "Since"        DATE NOT NULL,
    "CreditLimit"  NUMERIC(12, 2) NOT NULL,
    "Active"       BOOLEAN NOT NULL,
    "Rating"       SMALLINT NOT NULL,
    "Notes"        TEXT,
    "Logo"         BYTEA
);

CREATE TABLE "Products" (
    "ProductID"    BIGINT PRIMARY KEY,
    "ProductName"  VARCHAR(32) NOT NULL,
    "Category"     VARCHAR(16) NOT NULL,
    "UnitPrice"    NUMERIC(12, 2) NOT NULL,
    "WeightKg"     DOUBLE PRECISION NOT NULL,
    "ReorderLevel" SMALLINT NOT NULL,
    "Discontinued" BOOLEAN NOT NULL,
    "Description"  TEXT,
    "Picture"      BYTEA
);

CREATE TABLE "Orders" (
    "OrderID"     BIGINT PRIMARY KEY,
    "CustomerID"  INT NOT NULL REFERENCES "Customers" ("CustomerID"),
    "OrderDate"   DATE NOT NULL,
    "OrderTime"   TIME NOT NULL,
    "ShippedAt"   TIMESTAMP,
    "Amount"      NUMERIC(12, 2) NOT NULL DEFAULT 0,
    "Freight"     DOUBLE PRECISION NOT NULL,
    "Priority"    SMALLINT NOT NULL,
    "Paid"        BOOLEAN NOT NULL,
    "ShipCountry" TEXT NOT NULL,
    "Comments"    TEXT,
    "TrackingNo"  BIGINT NOT NULL
);

CREATE TABLE "OrderLines" (
    "OrderID"   INT NOT NULL REFERENCES "Orders" ("OrderID"),
    "LineNo"    SMALLINT NOT NULL,
    "ProductID" INT NOT NULL REFERENCES "Products" ("ProductID"),
    "Quantity"  INT NOT NULL,
    "UnitPrice" NUMERIC(12, 2) NOT NULL,
    "Discount"  DOUBLE PRECISION NOT NULL,
    PRIMARY KEY ("OrderID", "LineNo")
);

-- Word lists used to name things; dropped at the end.
CREATE TEMP TABLE "Words" (list TEXT, n INTEGER, word TEXT);
INSERT INTO "Words" VALUES
    ('prefix', 0, 'Alpine'), ('prefix', 1, 'Baltic'), ('prefix', 2, 'Cedar'),
    ('prefix', 3, 'Delta'), ('prefix', 4, 'Evergreen'), ('prefix', 5, 'Falcon'),
    ('prefix', 6, 'Granite'), ('prefix', 7, 'Harbor'), ('prefix', 8, 'Iris'),
    ('prefix', 9, 'Juniper'), ('prefix', 10, 'Kestrel'), ('prefix', 11, 'Lumen'),
    ('suffix', 0, 'Traders'), ('suffix', 1, 'Supply'), ('suffix', 2, 'Foods'),
    ('suffix', 3, 'Markets'), ('suffix', 4, 'Imports'), ('suffix', 5, 'Goods'),
    ('suffix', 6, 'Wholesale'), ('suffix', 7, 'Provisions'), ('suffix', 8, 'Outfitters'),
    ('suffix', 9, 'Partners'),
    ('country', 0, 'Canada'), ('country', 1, 'France'), ('country', 2, 'Germany'),
    ('country', 3, 'Italy'), ('country', 4, 'Japan'), ('country', 5, 'Mexico'),
    ('country', 6, 'Norway'), ('country', 7, 'USA'),
    ('city', 0, 'Toronto'), ('city', 1, 'Lyon'), ('city', 2, 'Hamburg'), ('city', 3, 'Turin'),
    ('city', 4, 'Osaka'), ('city', 5, 'Monterrey'), ('city', 6, 'Bergen'), ('city', 7, 'Denver'),
    ('city', 8, 'Vancouver'), ('city', 9, 'Paris'), ('city', 10, 'Munich'), ('city', 11, 'Rome'),
    ('city', 12, 'Tokyo'), ('city', 13, 'Puebla'), ('city', 14, 'Oslo'), ('city', 15, 'Austin'),
    ('category', 0, 'Beverages'), ('category', 1, 'Condiments'), ('category', 2, 'Dairy'),
    ('category', 3, 'Grains'), ('category', 4, 'Produce'), ('category', 5, 'Seafood'),
    ('item', 0, 'Tea'), ('item', 1, 'Syrup'), ('item', 2, 'Cheese'), ('item', 3, 'Rice'),
    ('item', 4, 'Apples'), ('item', 5, 'Salmon'), ('item', 6, 'Coffee'), ('item', 7, 'Mustard'),
    ('item', 8, 'Butter'), ('item', 9, 'Oats'), ('item', 10, 'Pears'), ('item', 11, 'Shrimp'),
    ('grade', 0, 'Classic'), ('grade', 1, 'Select'), ('grade', 2, 'Reserve'),
    ('grade', 3, 'Organic');

CREATE TEMP VIEW "W" AS SELECT list, n, word FROM "Words";

-- 120 customers, eight countries, two cities each.
INSERT INTO "Customers"
SELECT i,
       (SELECT word FROM "W" WHERE list = 'prefix' AND n = i % 12) || ' ' ||
           (SELECT word FROM "W" WHERE list = 'suffix' AND n = (i / 12) % 10),
       (SELECT word FROM "W" WHERE list = 'country' AND n = (i * 5) % 8),
       (SELECT word FROM "W" WHERE list = 'city' AND n = (i * 5) % 8 + 8 * ((i / 8) % 2)),
       DATE '2015-01-01' + (i * 37) % 2190,
       1000 + ((i * 733) % 40) * 250,
       i % 9 <> 0,
       1 + (i * 7) % 5,
       CASE WHEN i % 4 = 0 THEN NULL
            ELSE 'Customer since ' || (2015 + (i * 37) % 2190 / 365) ||
                 '. Prefers delivery in the ' ||
                 CASE i % 3 WHEN 0 THEN 'morning' WHEN 1 THEN 'afternoon' ELSE 'evening' END ||
                 '. Account reviewed every ' || (3 + i % 10) || ' months; contact the ' ||
                 'purchasing office before changing terms.'
       END,
       convert_to('LOGO' || lpad(i::text, 4, '0'), 'UTF8')
FROM generate_series(1, 120) AS i;

-- 48 products in six categories.
INSERT INTO "Products"
SELECT i,
       (SELECT word FROM "W" WHERE list = 'grade' AND n = (i - 1) / 12) || ' ' ||
           (SELECT word FROM "W" WHERE list = 'item' AND n = (i - 1) % 12),
       (SELECT word FROM "W" WHERE list = 'category' AND n = (i - 1) % 6),
       round(2.5 + ((i * 389) % 173) * 0.75, 2),
       round(0.25 + ((i * 53) % 40) * 0.125, 3),
       5 + (i * 11) % 40,
       i % 13 = 0,
       'Packed in cases of ' || (6 + (i % 4) * 6) || '. Store ' ||
           CASE (i - 1) % 6 WHEN 2 THEN 'refrigerated' WHEN 5 THEN 'frozen' ELSE 'cool and dry' END ||
           '. Shelf life ' || (30 + (i * 17) % 300) || ' days.',
       convert_to('PIC' || lpad(i::text, 4, '0'), 'UTF8')
FROM generate_series(1, 48) AS i;

-- 3000 orders spread evenly over 2021-01-01 .. 2024-12-31 (1461 days).
INSERT INTO "Orders" ("OrderID", "CustomerID", "OrderDate", "OrderTime", "ShippedAt", "Freight",
                      "Priority", "Paid", "ShipCountry", "Comments", "TrackingNo")
SELECT i,
       1 + (i * 47 + i / 7) % 120,
       DATE '2021-01-01' + (i - 1) * 1461 / 3000,
       make_time(8 + (i * 7) % 10, (i * 17) % 60, (i * 31) % 60),
       CASE WHEN i % 23 = 0 THEN NULL
            ELSE (DATE '2021-01-01' + (i - 1) * 1461 / 3000 + (1 + i % 5))::timestamp +
                 make_interval(hours => 6 + (i * 13) % 12, mins => (i * 29) % 60)
       END,
       round(5 + ((i * 61) % 97) * 0.5, 2),
       1 + (i * 7 / 3) % 3,
       i % 11 <> 0,
       (SELECT "Country" FROM "Customers" WHERE "CustomerID" = 1 + (i * 47 + i / 7) % 120),
       CASE WHEN i % 6 = 0 THEN 'Deliver to the side entrance.'
            WHEN i % 6 = 3 THEN 'Call ahead.'
            ELSE NULL END,
       9000000000 + i * 7919
FROM generate_series(1, 3000) AS i;

-- One to four lines per order.
INSERT INTO "OrderLines"
SELECT o, k,
       1 + (o * 13 + k * 29) % 48,
       1 + (o * 3 + k * 5) % 24,
       (SELECT "UnitPrice" FROM "Products" WHERE "ProductID" = 1 + (o * 13 + k * 29) % 48),
       CASE WHEN (o + k) % 10 = 0 THEN 0.1 WHEN (o + k) % 10 = 5 THEN 0.05 ELSE 0 END
FROM generate_series(1, 3000) AS o, generate_series(1, 4) AS k
WHERE k <= 1 + (o * 7) % 4;

UPDATE "Orders" SET "Amount" = (
    SELECT round(sum("Quantity" * "UnitPrice" * (1 - "Discount"))::numeric, 2)
    FROM "OrderLines" WHERE "OrderLines"."OrderID" = "Orders"."OrderID");

CREATE VIEW "OrderSummary" AS
SELECT "Orders"."OrderID", "Customers"."CustomerName", "Customers"."Country",
       "Orders"."OrderDate", "Orders"."Amount"
FROM "Orders" JOIN "Customers" ON "Customers"."CustomerID" = "Orders"."CustomerID";

DROP VIEW "W";
DROP TABLE "Words";
