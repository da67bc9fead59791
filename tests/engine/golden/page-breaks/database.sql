-- Forty lines in four groups of ten: enough for several pages with tall group footers.
CREATE TABLE Line (Id INTEGER PRIMARY KEY, Batch TEXT, Qty INT);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40)
INSERT INTO Line SELECT i, 'Batch ' || ((i - 1) / 10 + 1), (i * 7) % 13 FROM n;
