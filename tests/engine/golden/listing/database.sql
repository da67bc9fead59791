-- Every kind of value a listing shows: text that wraps, money, negative numbers, dates, times,
-- date-times stored as ISO text, Julian days and Unix seconds, Booleans, and nulls.
CREATE TABLE Item (
    Id INTEGER PRIMARY KEY,
    Name VARCHAR(12),
    Price MONEY,
    Stock INT,
    Added DATE,
    Opens TIME,
    Checked DATETIME,
    Active BOOLEAN,
    Notes MEMO
);
INSERT INTO Item VALUES
  (1, 'Anvil', 1234.5, 12000, '2024-02-29', '08:30:00', '2024-03-01 17:45:10', 1,
   'Heavy. Ships by freight only; allow two weeks for delivery to remote areas.'),
  (2, 'Bolt', 0.1, -3, 2460000.5, '23:59:59', 1700000000, 0, NULL),
  (3, 'Crowbar', -15, NULL, NULL, NULL, NULL, NULL, 'Short note.'),
  (4, 'Drill press & stand <XL>', 99999.999, 7, '1999-12-31', '00:00:00', '2000-01-01T00:00:00', 1,
   'Averyveryverylongwordthatdoesnotfitononelineatallwhatsoever and more.');
