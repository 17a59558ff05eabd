-- The qualifications, for an office whose FoxPro data has no qualification table. One
-- statement: all seven rows are saved, or none.
INSERT INTO `qualification` (`qlf_code`, `qlf_desc`) VALUES
  ('Q001', 'BELOW MATRICULATION'),
  ('Q002', 'MATRICULATION'),
  ('Q003', 'HIGHER SECONDARY'),
  ('Q004', 'GRADUATE'),
  ('Q005', 'POST GRADUATE'),
  ('Q006', 'DOCTORATE'),
  ('Q007', 'DIPLOMA');
GO
