-- The qualifications, for an office whose FoxPro data has no qualification table.
INSERT INTO qualification (qlf_code, qlf_desc) VALUES ('Q001', 'BELOW MATRICULATION');
INSERT INTO qualification (qlf_code, qlf_desc) VALUES ('Q002', 'MATRICULATION');
INSERT INTO qualification (qlf_code, qlf_desc) VALUES ('Q003', 'HIGHER SECONDARY');
INSERT INTO qualification (qlf_code, qlf_desc) VALUES ('Q004', 'GRADUATE');
INSERT INTO qualification (qlf_code, qlf_desc) VALUES ('Q005', 'POST GRADUATE');
INSERT INTO qualification (qlf_code, qlf_desc) VALUES ('Q006', 'DOCTORATE');
INSERT INTO qualification (qlf_code, qlf_desc) VALUES ('Q007', 'DIPLOMA');
GO
