-- Visits on days spread over three months, stored as ISO text, Julian days and Unix seconds,
-- grouped by month with several summaries.
CREATE TABLE Visit (Id INTEGER PRIMARY KEY, Day DATE, Minutes REAL, Guide TEXT);
INSERT INTO Visit VALUES
  (1, '2024-01-05', 30, 'Ada'), (2, 2460327.5, 45, 'Ben'), (3, 1705276800, 30, 'Ada'),
  (4, '2024-02-01', 60, 'Cy'), (5, '2024-02-29', NULL, 'Ben'), (6, '2024-02-14', 15, 'Cy'),
  (7, '2024-03-31', 90, 'Ada'), (8, '2024-01-31', 30, NULL);
