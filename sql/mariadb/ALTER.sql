-- Columns the SQL Server application keeps that the FoxPro tables never had. Run as one text,
-- and MariaDB's driver runs one statement to a text: so the five changes are one compound
-- statement (the mariadb client needs a DELIMITER other than ; around it). MariaDB commits each
-- ALTER TABLE at once: when one fails, the ones before it stay done and the ones after it do
-- not run.
BEGIN NOT ATOMIC
  ALTER TABLE `personnel` ADD `aadhaar_no` varchar(12);
  ALTER TABLE `personnel` ADD `email_id` varchar(60);
  ALTER TABLE `paybill` ADD `bill_status` varchar(10);
  ALTER TABLE `installation` ADD `migrated_on` datetime(3) CHECK (`migrated_on` BETWEEN '1753-01-01' AND '9999-12-31 23:59:59.999');
  ALTER TABLE `designation` ADD `dsgn_class` varchar(2);
END
